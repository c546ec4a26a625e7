#!/usr/bin/env bash
# Shows the catalog synchronisation: starts velkorn-server on a changed copy of the demo catalog and the program
# pointed at it. The program then pulls the changed items, the added code and the deletion, and says so.
#   tools/sync-demo.sh [BUILD_DIR]      (default: build; run tools/build.sh first)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
server="$build/bin/velkorn-server"
dist="$build/dist"
work="$(mktemp -d)"
trap 'kill "${server_pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT

# The master catalog: the demo catalog with five items changed now, one code added and the last item deleted.
"$server" --make-changed-copy "$dist/KATALOG.GDB" "$work/master.gdb" --changes 5

# Thumbnails: the demo pictures stand in for them.
mkdir -p "$work/thumbs"
cp "$dist"/images/*.jpg "$work/thumbs/" 2>/dev/null || true

"$server" --db "$work/master.gdb" --thumbs "$work/thumbs" --port 0 >"$work/server.log" 2>&1 &
server_pid=$!
port=""
for _ in $(seq 50); do
    port="$(sed -n 's/^listening on port \([0-9]*\)$/\1/p' "$work/server.log")"
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { cat "$work/server.log"; exit 1; }
echo "catalog server on 127.0.0.1:$port (log: $work/server.log)"

# The program's own catalog is copied too, so the demo can be repeated.
app="$work/app"
cp -r "$dist" "$app"
VELKORN_CATALOG_HOST="127.0.0.1:$port" "$app/velkorn" || true
echo "--- requests the server saw:"
cat "$work/server.log"

#!/usr/bin/env bash
# Shows the application update end to end: velkorn-server serves the catalog and an update folder that announces
# the next version of velkorn (the same program, one release higher), with release notes, a licence, the program
# and a data file as components, and an optional manual. The control file is signed with the demo key by the
# minisign tool, as a publisher signs a release (update/keys/README.md), and lists the SHA-256 of every file.
# The program, started from a temporary Application directory, synchronises its catalog, finds the update and
# opens the wizard; after "Restart" it ends, the restart helper replaces its files and starts it again as the
# new version.
#   tools/update-demo.sh [--unattended] [BUILD_DIR]   (default: build; run tools/build.sh first)
#   --unattended: English, and the wizard goes through by itself (also works with QT_QPA_PLATFORM=offscreen)
set -euo pipefail
cd "$(dirname "$0")/.."
unattended=0
if [ "${1:-}" = "--unattended" ]; then
    unattended=1
    shift
fi
build="${1:-build}"
server="$build/bin/velkorn-server"
next_version="$build/bin/velkorn-next-version"
dist="$build/dist"
for f in "$server" "$next_version" "$dist/velkorn" "$dist/KATALOG.GDB"; do
    [ -e "$f" ] || { echo "missing $f: build first (tools/build.sh)" >&2; exit 1; }
done
command -v minisign >/dev/null || { echo "minisign is needed to sign the update (tools/setup.sh)" >&2; exit 1; }
signing_key=tests/keys/demo-secret-key-NOT-FOR-RELEASE.key
sha() { sha256sum "$1" | cut -d' ' -f1; }

work="$(mktemp -d)"
app="$work/app"
updates="$work/update"
mkdir -p "$app/images" "$updates" "$work/tmp"
running_from_app() {
    for exe in /proc/[0-9]*/exe; do
        case "$(readlink "$exe" 2>/dev/null)" in "$app"/*) return 0 ;; esac
    done
    return 1
}
cleanup() {
    kill -9 "${server_pid:-0}" 2>/dev/null || true # the embedded database takes SIGTERM for itself
    running_from_app || rm -rf "$work"
}
trap cleanup EXIT

# The installed program: the build's Application directory.
cp "$dist/velkorn" "$dist/KATALOG.GDB" "$dist"/*.lng "$app/"
cp "$dist"/images/* "$app/images/" 2>/dev/null || true
echo "catalog data 1.0.0" >"$app/release.txt"

# The update folder.
new_version="$("$next_version" "$app/velkorn" "$updates/velkorn_NEW")"
echo "catalog data $new_version" >"$updates/release.txt_NEW"
printf 'Velkorn %s\n\n- Faster code search\n- New bellows styles\n' "$new_version" >"$updates/whatsnew.txt"
printf 'Velkorn catalog licence\n\nYou may use this catalog to look up Velkorn parts.\n' >"$updates/eula.txt"
printf 'Velkorn catalog manual\n\nType any code into the search box and press Enter.\n' >"$updates/manual.txt"

cp "$dist/KATALOG.GDB" "$work/master.gdb"
"$server" --db "$work/master.gdb" --port 0 --bind 127.0.0.1 --update-dir "$updates" >"$work/server.log" 2>&1 &
server_pid=$!
disown "$server_pid"
port=""
for _ in $(seq 100); do
    port="$(sed -n 's/^listening on port \([0-9]*\)$/\1/p' "$work/server.log")"
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { cat "$work/server.log"; exit 1; }
base="http://127.0.0.1:$port"

cat >"$updates/velkorn.INF" <<INF
[update]
descr=Velkorn $new_version: faster code search, new bellows styles
localversion={APP}\velkorn
newversion=$new_version

[application]
appupdate=1
appname=velkorn
appcomps=velkorn_NEW release.txt_NEW

[whatsnew]
file=$base/whatsnew.txt
sha256=$(sha "$updates/whatsnew.txt")

[eula]
file=$base/eula.txt
sha256=$(sha "$updates/eula.txt")

[files]
count=3

[file1]
url=$base/velkorn_NEW
descr=Velkorn program $new_version
localversion={APP}\velkorn
newversion=$new_version
targetdir={APP}
mandatory=1
filesize=$(stat -c %s "$updates/velkorn_NEW")
sha256=$(sha "$updates/velkorn_NEW")

[file2]
url=$base/release.txt_NEW
descr=Catalog data
targetdir={APP}
hidden=1
sha256=$(sha "$updates/release.txt_NEW")

[file3]
url=$base/manual.txt
descr=Catalog manual (optional)
targetdir={APP}\docs
sha256=$(sha "$updates/manual.txt")
INF
minisign -S -s "$signing_key" -m "$updates/velkorn.INF" \
    -t "velkorn-release time=$(date -u +%Y-%m-%dT%H:%M:%SZ) file=velkorn.INF" >/dev/null

echo "servers on 127.0.0.1:$port; Application directory: $app"
echo "installed version: $("$next_version" --show "$app/velkorn"), update offers $new_version"
export VELKORN_CATALOG_HOST="127.0.0.1:$port" VELKORN_UPDATE_HOST="127.0.0.1:$port" TMPDIR="$work/tmp"
# The newest accepted release is kept in the user's settings; the demo's stays with the demo.
export XDG_CONFIG_HOME="$work/config"
if [ "$unattended" = 1 ]; then
    export VELKORN_LANGUAGE=en VELKORN_UPDATE_UNATTENDED=1
else
    echo "choose a language; after the catalog synchronisation the update wizard opens: Start, Get update, Next,"
    echo "accept the licence, Next, Restart, Yes."
fi
"$app/velkorn" || true

# The restart helper waits for the program to end, replaces its files and starts it again.
for _ in $(seq 100); do
    running_from_app && break
    sleep 0.1
done
if running_from_app; then
    echo "the program runs again as version $("$next_version" --show "$app/velkorn")"
    if [ "$unattended" = 1 ]; then
        sleep 5
        for exe in /proc/[0-9]*/exe; do
            case "$(readlink "$exe" 2>/dev/null)" in "$app"/*) pid="${exe#/proc/}"; kill -9 "${pid%/exe}" 2>/dev/null || true ;; esac
        done
    else
        echo "close it to end the demo."
    fi
    while running_from_app; do sleep 0.5; done
else
    echo "the program was not started again (was the update finished?)"
fi
echo "release.txt now reads: $(cat "$app/release.txt")"
[ -f "$app/docs/manual.txt" ] && echo "the optional manual was installed in docs/"
echo "--- requests the server saw:"
cat "$work/server.log"

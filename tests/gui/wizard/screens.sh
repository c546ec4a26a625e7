#!/usr/bin/env bash
# Screenshots of every wizard page in the three languages. Run inside an X server, e.g.:
#   xvfb-run -a -s "-screen 0 520x330x24" bash tests/gui/wizard/screens.sh BUILD_DIR OUT_DIR
set -euo pipefail
build=$1
out=$2
mkdir -p "$out"
for lang in en de tr; do
    for page in 0 1 1x 2 3 4 5 6; do
        "$build/tests/gui/wizard/wizard_screens" "$lang" "$page" &
        pid=$!
        sleep 1.5
        import -window root "$out/wizard-$lang-$page.png"
        kill "$pid"
        wait "$pid" 2>/dev/null || true
    done
done

#!/usr/bin/env bash
# Builds the catalog and runs the whole test suite, then each reader's fuzz target briefly, so that a reader
# that crashes again on inputs like those fuzzing found fails the run (VELKORN_SKIP_FUZZ=1 leaves them out).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600)
if [ "${VELKORN_SKIP_FUZZ:-0}" != 1 ]; then
    bash tools/fuzz.sh 20
fi

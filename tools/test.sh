#!/usr/bin/env bash
# Builds the catalog and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600

#!/usr/bin/env bash
# Builds the catalog and starts it on its demo database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
exec build/dist/velkorn "$@"

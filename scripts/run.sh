#!/usr/bin/env bash
# Builds everything and starts the program ts32_20; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/src/app/ts32_20 "$@"

#!/usr/bin/env bash
# Builds everything and starts the program; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/src/cli/tessaly-cli "$@"

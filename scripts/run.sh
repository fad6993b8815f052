#!/usr/bin/env bash
# Builds everything and starts the program; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
# Until the main window exists, the program is its command line.
[ $# -gt 0 ] || set -- --help
exec build/src/cli/tessaly-cli "$@"

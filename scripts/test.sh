#!/usr/bin/env bash
# Builds everything and runs every test but those labelled "slow" (the fuzz build and runs, the kill
# and fault loop samples, the window-manager and install checks) and "long" (the full loops); .ci/run
# runs those after this. GUI tests run offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)" -LE 'slow|long'

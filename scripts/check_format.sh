#!/usr/bin/env bash
# Fails when a C or C++ file of the repository differs from its .clang-format (lumet32 keeps its own).
# With --fix it rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=(--dry-run --Werror)
[ "${1:-}" = "--fix" ] && mode=(-i)
git ls-files -z '*.h' '*.cpp' '*.c' | xargs -0 clang-format-14 --style=file "${mode[@]}"

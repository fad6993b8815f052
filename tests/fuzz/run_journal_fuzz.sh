#!/bin/bash
# Builds the history reader's fuzz target with clang++-14 in the fuzz build
# folder and runs it for a few seconds from the golden vCards.
# usage: run_journal_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS
set -eu
src=$1 build=$2 seconds=${3:-10}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DTESSALY_FUZZ=ON "${launcher[@]}" >"$build.journal-configure.log" 2>&1 || { cat "$build.journal-configure.log"; exit 1; }
cmake --build "$build" --target journal_fuzz -j2 >"$build.journal-build.log" 2>&1 || { tail -30 "$build.journal-build.log"; exit 1; }
corpus=$build/corpus-journal_fuzz
mkdir -p "$corpus"
cp -n "$src"/tests/data/history/*.journal "$corpus/"
"$build/tests/fuzz/journal_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/journal_fuzz-" "$corpus" >"$build/journal_fuzz.log" 2>&1 || { tail -40 "$build/journal_fuzz.log"; exit 1; }
grep -E "^(Done|#[0-9]+ *DONE)" "$build/journal_fuzz.log" | tail -1

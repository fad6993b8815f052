#!/bin/bash
# Builds one fuzz target of tests/fuzz with clang++-14 in the fuzz build folder
# and runs it for a few seconds from the seed files given.
# usage: run_target_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS TARGET SEED_GLOB MAX_LEN
#   (SEED_GLOB relative to SOURCE_DIR, e.g. 'tests/data/vcard/*.vcf')
set -eu
src=$1 build=$2 seconds=$3 target=$4 seeds=$5 maxlen=$6
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DTESSALY_FUZZ=ON "${launcher[@]}" >"$build.$target-configure.log" 2>&1 || { cat "$build.$target-configure.log"; exit 1; }
cmake --build "$build" --target "$target" -j2 >"$build.$target-build.log" 2>&1 || { tail -30 "$build.$target-build.log"; exit 1; }
corpus=$build/corpus-$target
mkdir -p "$corpus"
# shellcheck disable=SC2086
cp -n "$src"/$seeds "$corpus/"
"$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/$target-" "$corpus" >"$build/$target.log" 2>&1 || { tail -40 "$build/$target.log"; exit 1; }
grep -E "^(Done|#[0-9]+ *DONE)" "$build/$target.log" | tail -1

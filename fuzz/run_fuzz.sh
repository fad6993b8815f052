#!/bin/bash
# Configures and builds the fuzz targets with clang++-14 in their own build
# folder, then runs each for a few seconds from the seed files.
# usage: run_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS_PER_TARGET
set -eu
src=$1 build=$2 seconds=${3:-10}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DTESSALY_FUZZ=ON "${launcher[@]}" >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" --target profile_fuzz cards_fuzz -j2 >"$build.build.log" 2>&1 || { tail -30 "$build.build.log"; exit 1; }
seeds=("$src/tests/data/ini" "$src/fuzz/seeds")
status=0
for target in profile_fuzz cards_fuzz; do
    corpus=$build/corpus-$target
    mkdir -p "$corpus"
    for s in "${seeds[@]}"; do [ -d "$s" ] && find "$s" -type f -name '*.*' -exec cp -n {} "$corpus/" \;; done
    dict=()
    [ $target = cards_fuzz ] && dict=(-dict="$src/fuzz/cards.dict")
    "$build/fuzz/$target" "${dict[@]}" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/$target-" "$corpus" >"$build/$target.log" 2>&1 || status=1
    grep -E "^(Done|==|SUMMARY|#[0-9]+ *DONE)" "$build/$target.log" | tail -3
    [ $status -eq 0 ] || { tail -40 "$build/$target.log"; exit 1; }
done

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one on its seed corpus for a fixed
# time (FUZZ_SECONDS, 20 by default). Any crash or broken invariant fails the run and
# leaves the input in build-fuzz/findings/<target>/.
#   scripts/fuzz.sh                       every target, 20 s each
#   FUZZ_SECONDS=600 scripts/fuzz.sh      every target, ten minutes each
#   scripts/fuzz.sh fuzz_read_operation   one target
set -euo pipefail
cd "$(dirname "$0")/.."
VELORIS_EXTRA_PACKAGES="clang libclang-rt-14-dev ${VELORIS_EXTRA_PACKAGES:-}" scripts/install-deps.sh

seconds="${FUZZ_SECONDS:-20}"
build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVELORIS_FUZZ=ON -DVELORIS_BUILD_TESTS=OFF -DVELORIS_WERROR=ON >/dev/null
cmake --build "$build_dir" -j2 --target veloris_fuzzers

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_lenient_number fuzz_value_coding fuzz_hex_pairs fuzz_block_address
             fuzz_read_operation fuzz_write_operation)
fi

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
status=0
for target in "${targets[@]}"; do
    # New inputs go to a scratch corpus, so the committed seeds stay small.
    work="$build_dir/corpus/$target"
    findings="$build_dir/findings/$target"
    mkdir -p "$work" "$findings"
    echo "== $target: ${seconds}s"
    # An input that runs for more than ten seconds is a hang, and fails like a crash.
    if ! "$build_dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "fuzz/corpus/$target" 2>"$build_dir/$target.log"; then
        tail -n 40 "$build_dir/$target.log"
        echo "FAIL: $target (input kept in $findings/)"
        status=1
        continue
    fi
    grep -E "^(stat::number_of_executed_units|stat::new_units_added)" "$build_dir/$target.log" || true
done
exit $status

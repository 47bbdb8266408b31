#!/usr/bin/env bash
# What automatic counterpart numbers cost a run: kolvira-cli on two workbooks that differ only
# in 2 000 counterparts (every 10th of 20 000 rows) having no code (each takes an automatic
# number) or a personal code. The program folder, with its settings file, lies on a real disk
# (not /dev/shm), since what the numbers cost is mostly the settings file's synced rewrites.
# Prints each run, the medians and their difference, and the settings file's rewrites (fsync
# calls counted by strace when it is there).
#
#   bench/counter_bench.sh [--build DIR] [--cli PATH] [--runs N] [--workdir DIR]
#
# --cli times another kolvira-cli (an older build, say) on the same workbooks.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build="$source_dir/build/perf-release"
runs=9
workdir="$source_dir/build/counter-bench"
program=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$(cd "$2" && pwd); shift ;;
        --cli) program=$(realpath "$2"); shift ;;
        --runs) runs=$2; shift ;;
        --workdir) workdir=$2; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
mkdir -p "$workdir/program"
with_codes="$workdir/with_codes.xlsx"
without_codes="$workdir/without_codes.xlsx"
[ -f "$with_codes" ] || "$build/bench/make_bench_workbook" "$with_codes" 20000 \
    --anonymous-every 10 --anonymous-with-codes > /dev/null
[ -f "$without_codes" ] || "$build/bench/make_bench_workbook" "$without_codes" 20000 \
    --anonymous-every 10 > /dev/null
cp "${program:-$build/src/kolvira-cli}" "$workdir/program/kolvira-cli"
cli="$workdir/program/kolvira-cli"
arguments=(--payer-code 123456786 --workplace BENCH --from 2024-03-01 --to 2024-03-31
           --locale lt_LT)

seconds() {  # wall seconds of one run
    local start end
    start=$(date +%s.%N)
    "$cli" "${arguments[@]}" "$1" > /dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
median() {
    sort -g | awk '{ v[NR] = $1 } END { m = (NR + 1) / 2; printf "%.3f", (v[int(m)] + v[int(m + 0.5)]) / 2 }'
}

printf '[NUSTATYMAI]\r\nauto_id=0\r\n' > "$workdir/program/_nustatymai.ini"
coded=()
automatic=()
for ((i = 1; i <= runs; i++)); do
    coded+=("$(seconds "$with_codes")")
    automatic+=("$(seconds "$without_codes")")
    echo "run $i: with codes ${coded[-1]} s, 2 000 automatic numbers ${automatic[-1]} s"
done
a=$(printf '%s\n' "${coded[@]}" | median)
b=$(printf '%s\n' "${automatic[@]}" | median)
echo "median: with codes $a s, with 2 000 automatic numbers $b s, difference" \
    "$(echo "$b - $a" | bc -l | awk '{ printf "%.3f", $1 }') s"
echo "counter after the runs: $(grep -a auto_id "$workdir/program/_nustatymai.ini" | tr -d '\r')"
if command -v strace > /dev/null; then
    for book in "$with_codes" "$without_codes"; do
        syncs=$(strace -f -e trace=fsync -o /dev/stdout "$cli" "${arguments[@]}" "$book" \
                    2> /dev/null | grep -c 'fsync(' || true)
        echo "fsync calls in one run on $(basename "$book"): $syncs"
    done
fi

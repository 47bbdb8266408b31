#!/usr/bin/env bash
# kolvira-cli --check on the i.SAF file of the benchmark workbook, timed beside libxml2's own
# validator on the same file in the same loop: `xmllint --noout --schema` (a whole tree, then
# the schema) and `xmllint --stream --noout --schema` (the streaming reader). Then the same for
# a file of a large workbook (--big-rows), to show time and memory against the file's size.
# Prints every run, the medians, their ratios and the peak memory (from /usr/bin/time -v).
#
#   bench/run_check_bench.sh [--build DIR] [--rows N] [--runs N] [--big-rows N] [--workdir DIR]
#
# --big-rows 0 skips the large file; the whole-tree xmllint is left out for it (it needs
# several times the file's size in memory).
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build="$source_dir/build/perf-release"
rows=100000
runs=5
big_rows=500000
workdir=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$(cd "$2" && pwd); shift ;;
        --rows) rows=$2; shift ;;
        --runs) runs=$2; shift ;;
        --big-rows) big_rows=$2; shift ;;
        --workdir) workdir=$2; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
if [ -z "$workdir" ]; then
    base=/dev/shm
    [ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
    workdir="$base/kolvira-bench"
fi
schema="$source_dir/data/isaf_1.2.xsd"
mkdir -p "$workdir/app"
cli="$workdir/app/kolvira-cli"
cp "$build/src/kolvira-cli" "$cli"

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Runs a command under /usr/bin/time -v; prints "wall user+sys peak-KiB". Exit 0 and 1 (the
# file has errors) both count as a finished check.
timed() {
    local start end status=0
    start=$(date +%s.%N)
    /usr/bin/time -v -o "$workdir/time.txt" "$@" > /dev/null 2> "$workdir/stderr.txt" || status=$?
    end=$(date +%s.%N)
    if [ "$status" -gt 1 ]; then
        echo "failed ($status): $*" >&2
        tail -5 "$workdir/stderr.txt" >&2
        exit 1
    fi
    awk -v wall="$(echo "$end - $start" | bc)" '
        /User time/ { user = $NF } /System time/ { sys = $NF }
        /Maximum resident/ { rss = $NF }
        END { printf "%.3f %.3f %d\n", wall, user + sys, rss }' "$workdir/time.txt"
}

# The i.SAF file of a generated workbook of N rows, made once and kept.
isaf_file() {
    local n=$1 book="$workdir/book-$1.xlsx" out="$workdir/check-$1"
    [ -s "$book" ] || "$build/bench/make_bench_workbook" "$book" "$n" > /dev/null
    if [ ! -s "$out/Kolvira_123456786_202403_BENCH.xml" ]; then
        mkdir -p "$out"
        rm -f "$workdir/app/_nustatymai.ini"
        "$cli" --payer-code 123456786 --workplace BENCH --from 2024-03-01 --to 2024-03-31 \
            --output-dir "$out" "$book" > /dev/null
    fi
    echo "$out/Kolvira_123456786_202403_BENCH.xml"
}

summary_line() {  # label, file of "wall cpu peak" lines, file size in bytes
    local wall cpu rss
    wall=$(cut -d' ' -f1 "$2" | median)
    cpu=$(cut -d' ' -f2 "$2" | median)
    rss=$(cut -d' ' -f3 "$2" | sort -g | tail -1)
    printf "%-34s median %7.3f s wall, %7.3f s cpu; peak %7.1f MiB (%.0f %% of the file)\n" \
        "$1" "$wall" "$cpu" "$(echo "$rss / 1024" | bc -l)" \
        "$(echo "$rss * 1024 * 100 / $3" | bc -l)"
}

# label, file, runs, whole-tree xmllint too (1/0)
bench_file() {
    local label=$1 file=$2 n=$3 tree=$4 size invoices
    size=$(stat -c %s "$file")
    invoices=$(grep -c "<Invoice>" "$file" || true)
    echo "$label: $file ($size bytes, $invoices invoices), $n runs, $(nproc) cores," \
        "load $(cut -d' ' -f1-3 /proc/loadavg)"
    : > "$workdir/r-check.txt"
    : > "$workdir/r-stream.txt"
    : > "$workdir/r-tree.txt"
    for run in $(seq "$n"); do
        c=$(timed "$cli" --check "$file")
        s=$(timed xmllint --stream --noout --schema "$schema" "$file")
        echo "$c" >> "$workdir/r-check.txt"
        echo "$s" >> "$workdir/r-stream.txt"
        line="run $run: kolvira-cli --check $c; xmllint --stream $s"
        if [ "$tree" -eq 1 ]; then
            t=$(timed xmllint --noout --schema "$schema" "$file")
            echo "$t" >> "$workdir/r-tree.txt"
            line="$line; xmllint $t"
        fi
        echo "$line (wall s, cpu s, peak KiB)"
    done
    summary_line "kolvira-cli --check" "$workdir/r-check.txt" "$size"
    summary_line "xmllint --stream --noout --schema" "$workdir/r-stream.txt" "$size"
    [ "$tree" -eq 1 ] && summary_line "xmllint --noout --schema" "$workdir/r-tree.txt" "$size"
    local check stream
    check=$(cut -d' ' -f1 "$workdir/r-check.txt" | median)
    stream=$(cut -d' ' -f1 "$workdir/r-stream.txt" | median)
    printf "kolvira-cli --check / xmllint --stream: %.2f x wall" "$(echo "$check / $stream" | bc -l)"
    if [ "$tree" -eq 1 ]; then
        printf ", / xmllint: %.2f x" \
            "$(echo "$check / $(cut -d' ' -f1 "$workdir/r-tree.txt" | median)" | bc -l)"
    fi
    echo
}

bench_file "$rows rows" "$(isaf_file "$rows")" "$runs" 1
if [ "$big_rows" -gt 0 ]; then
    bench_file "$big_rows rows" "$(isaf_file "$big_rows")" 3 0
fi

#!/usr/bin/env bash
# kolvira-cli end to end (read all twelve sheets, check every row, write the i.SAF file) on a
# generated workbook, timed against `unzip -p` of the same file in the same loop, so that a
# busy machine slows both alike. Prints every run, then the medians, the ratio of the medians
# and the peak memory (from /usr/bin/time -v).
#
#   bench/run_bench.sh [--build DIR] [--rows N] [--runs N] [--inline-strings] [--xls]
#                      [--gui] [--workdir DIR] [--validate] [--compare CLI]
#
# --xls also times the same workbook as .xls in each round, right after the .xlsx (needs
# python3-xlwt, at most ~200 000 rows); --gui also times a run through the window (bench_gui_run, offscreen) against the CLI;
# --validate checks the written file against the schema (../shared/isaf/isaf_1.2.xsd).
# --compare also times another build of kolvira-cli in each round, right after this one, and
# prints its median against this one's (for example the build before a change, to see its cost).
# The files go to /dev/shm when it exists: the output's fsync then costs nothing and the
# figures are the program's own, as with the workbook in the page cache.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build="$source_dir/build/perf-release"
rows=100000
runs=5
inline=""
xls=0
gui=0
validate=0
workdir=""
compare=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$(cd "$2" && pwd); shift ;;
        --rows) rows=$2; shift ;;
        --runs) runs=$2; shift ;;
        --inline-strings) inline="--inline-strings" ;;
        --xls) xls=1 ;;
        --gui) gui=1 ;;
        --validate) validate=1 ;;
        --workdir) workdir=$2; shift ;;
        --compare) compare=$(realpath "$2"); shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
if [ -z "$workdir" ]; then
    base=/dev/shm
    [ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
    workdir="$base/kolvira-bench"
fi
mkdir -p "$workdir/app" "$workdir/out" "$workdir/compare"

cli="$workdir/app/kolvira-cli"
cp "$build/src/kolvira-cli" "$cli"
book="$workdir/book-$rows${inline:+-inline}.xlsx"
cells=()
# The .xls is made from the cell list the generator writes beside the workbook; the generator
# is seeded, so making the workbook again for that list gives the same workbook.
[ "$xls" -eq 1 ] && [ -z "$inline" ] && [ ! -s "$workdir/cells-$rows.tsv" ] &&
    cells=(--cells "$workdir/cells-$rows.tsv")
if [ ! -s "$book" ] || [ ${#cells[@]} -gt 0 ]; then
    "$build/bench/make_bench_workbook" "$book" "$rows" $inline "${cells[@]}"
fi
period=(--from 2024-03-01 --to 2024-03-31)

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

now() {
    date +%s.%N
}

# Runs a command under /usr/bin/time -v; prints "wall user+sys peak-KiB" and checks the exit.
timed() {
    local start end
    start=$(now)
    /usr/bin/time -v -o "$workdir/time.txt" "$@" > "$workdir/stdout.txt" 2> "$workdir/stderr.txt" || {
        echo "failed: $*" >&2
        cat "$workdir/stderr.txt" >&2
        exit 1
    }
    end=$(now)
    awk -v wall="$(echo "$end - $start" | bc)" '
        /User time/ { user = $NF } /System time/ { sys = $NF }
        /Maximum resident/ { rss = $NF }
        END { printf "%.3f %.3f %d\n", wall, user + sys, rss }' "$workdir/time.txt"
}

# One kolvira-cli run with a fresh settings file (the automatic counterpart numbers start at 1).
cli_run() {
    local program=${2:-$cli}
    rm -f "$(dirname "$program")/_nustatymai.ini"
    timed "$program" --payer-code 123456786 --workplace BENCH "${period[@]}" \
        --output-dir "$workdir/out" "$1"
}

unzip_run() {  # prints "wall user+sys"
    local start end
    start=$(now)
    /usr/bin/time -f "%U %S" -o "$workdir/unzip-time.txt" unzip -p "$1" > /dev/null
    end=$(now)
    awk -v wall="$(echo "$end - $start" | bc)" '{ printf "%.3f %.3f\n", wall, $1 + $2 }' \
        "$workdir/unzip-time.txt"
}

# label, file of "wall cpu peak" lines, the reference's wall and cpu medians
report() {
    local label=$1 file=$2 reference=$3 reference_cpu=$4 wall cpu rss
    wall=$(cut -d' ' -f1 "$file" | median)
    cpu=$(cut -d' ' -f2 "$file" | median)
    rss=$(cut -d' ' -f3 "$file" | sort -g | tail -1)
    printf "%-26s median %.3f s wall, %.3f s cpu: %.2f x the reference (cpu %.2f x); peak %.1f MiB\n" \
        "$label" "$wall" "$cpu" "$(echo "$wall / $reference" | bc -l)" \
        "$(echo "$cpu / $reference_cpu" | bc -l)" "$(echo "$rss / 1024" | bc -l)"
}

xls_book="$workdir/book-$rows.xls"
if [ "$xls" -eq 1 ] && [ ! -s "$xls_book" ]; then
    /usr/bin/python3 "$source_dir/bench/make_bench_xls.py" "$workdir/cells-$rows.tsv" "$xls_book"
fi

echo "workbook $book ($(stat -c %s "$book") bytes, $rows rows), $runs runs, $(nproc) cores," \
    "load $(cut -d' ' -f1-3 /proc/loadavg)"
: > "$workdir/unzip.txt"
: > "$workdir/cli.txt"
: > "$workdir/xls.txt"
: > "$workdir/compare.txt"
[ -n "$compare" ] && cp "$compare" "$workdir/compare/kolvira-cli"
for run in $(seq "$runs"); do
    u=$(unzip_run "$book")
    c=$(cli_run "$book")
    echo "$u" >> "$workdir/unzip.txt"
    echo "$c" >> "$workdir/cli.txt"
    echo "run $run: unzip -p $u; kolvira-cli $c (wall s, cpu s[, peak KiB])"
    if [ -n "$compare" ]; then
        c=$(cli_run "$book" "$workdir/compare/kolvira-cli")
        echo "$c" >> "$workdir/compare.txt"
        echo "run $run: compared kolvira-cli $c"
    fi
    if [ "$xls" -eq 1 ]; then
        sed 's|<FileDateCreated>[^<]*<|<|' "$(cat "$workdir/stdout.txt")" > "$workdir/from-xlsx.xml"
        c=$(cli_run "$xls_book")
        sed 's|<FileDateCreated>[^<]*<|<|' "$(cat "$workdir/stdout.txt")" |
            cmp -s - "$workdir/from-xlsx.xml" || { echo "the .xls gave another file" >&2; exit 1; }
        echo "$c" >> "$workdir/xls.txt"
        echo "run $run: kolvira-cli on the .xls $c"
    fi
done
unzip_median=$(cut -d' ' -f1 "$workdir/unzip.txt" | median)
unzip_cpu=$(cut -d' ' -f2 "$workdir/unzip.txt" | median)
printf "%-26s median %.3f s wall, %.3f s cpu\n" "unzip -p" "$unzip_median" "$unzip_cpu"
report "kolvira-cli vs unzip -p" "$workdir/cli.txt" "$unzip_median" "$unzip_cpu"
cli_median=$(cut -d' ' -f1 "$workdir/cli.txt" | median)
cli_cpu=$(cut -d' ' -f2 "$workdir/cli.txt" | median)
if [ -n "$compare" ]; then
    report "$compare vs kolvira-cli" "$workdir/compare.txt" "$cli_median" "$cli_cpu"
fi
saved=$(cat "$workdir/stdout.txt")
echo "saved $saved ($(stat -c %s "$saved") bytes)"

if [ "$validate" -eq 1 ]; then
    xmllint --noout --schema "$source_dir/../shared/isaf/isaf_1.2.xsd" "$saved"
fi

if [ "$gui" -eq 1 ]; then
    : > "$workdir/gui.txt"
    mkdir -p "$workdir/gui"
    for run in $(seq "$runs"); do
        rm -rf "$workdir/gui/"*
        c=$(QT_QPA_PLATFORM=offscreen timed "$build/bench/bench_gui_run" "$book" "$workdir/gui")
        echo "$c" >> "$workdir/gui.txt"
        echo "window run $run: $c"
    done
    report "window vs kolvira-cli" "$workdir/gui.txt" "$cli_median" "$cli_cpu"
fi

if [ "$xls" -eq 1 ]; then
    echo "the .xls: $xls_book ($(stat -c %s "$xls_book") bytes)"
    report ".xls vs the .xlsx" "$workdir/xls.txt" "$cli_median" "$cli_cpu"
fi

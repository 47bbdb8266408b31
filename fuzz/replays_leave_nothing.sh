#!/usr/bin/env bash
# Runs every corpus replay given (pairs of program and corpus folder) and fails when one of
# them left a kolvira-fuzz-* file or folder in /tmp or /dev/shm.
set -euo pipefail
leftovers() {
    ls -d /tmp/kolvira-fuzz-* /dev/shm/kolvira-fuzz-* 2>/dev/null | sort || true
}
before=$(leftovers)
while [ $# -ge 2 ]; do
    "$1" "$2" > /dev/null
    shift 2
done
left=$(comm -13 <(echo "$before") <(leftovers))
if [ -n "$left" ]; then
    echo "left behind:" $left >&2
    exit 1
fi

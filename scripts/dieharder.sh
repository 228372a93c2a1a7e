#!/usr/bin/env bash
# A few quick dieharder tests on every generator, fed by the streaming
# command line (raw 32-bit words on stdin, dieharder -g 200). Writes a
# markdown table of the outcomes to stdout.
#   scripts/dieharder.sh PYTHON
set -u
cd "$(dirname "$0")/.."
py=${1:-python3}
# test number, name, psamples: the birthday spacings test that lagged
# Fibonacci and subtract-with-borrow generators fail, the 32x32 binary rank
# test that SHR3 fails, and a plain bit-frequency test.
tests=("0 diehard_birthdays 100" "2 diehard_rank_32x32 20" "100 sts_monobit 50")
generators=$("$py" -m ombrix.iterators --list | cut -d' ' -f1)
[ -n "$generators" ] || { echo "$0: $py -m ombrix.iterators --list named no generator" >&2; exit 1; }

echo "| generator | birthday spacings (diehard_birthdays) | 32x32 binary rank (diehard_rank_32x32) | bit frequency (sts_monobit) |"
echo "|---|---|---|---|"
for name in $generators; do
    row="| $name |"
    for test in "${tests[@]}"; do
        read -r number _ psamples <<<"$test"
        line=$("$py" -m ombrix.iterators "$name" --format raw |
            dieharder -g 200 -d "$number" -p "$psamples" 2>/dev/null | grep -E 'PASSED|WEAK|FAILED' | head -n 1)
        pvalue=$(awk -F'|' '{gsub(/ /, "", $5); print $5}' <<<"$line")
        verdict=$(grep -oE 'PASSED|WEAK|FAILED' <<<"$line")
        row="$row ${verdict:-?} (p = ${pvalue:-?}) |"
    done
    echo "$row"
done

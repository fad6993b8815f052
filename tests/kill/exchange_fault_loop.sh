#!/bin/bash
# Fails every create, write, flush, link, rename and remove that tessaly-cli makes in the data
# folder while it imports (replacing and appending), imports vCards and restores a smaller
# backup: each N once, and from N on (a disk that stays full). A run that says it succeeded
# must have made the change; one that failed must leave the card file as it was, or say that
# the next command finishes it, which the next command then does. No card is ever lost.
# usage: exchange_fault_loop.sh TESSALY_CLI FAULTSHIM [EVERY]   (EVERY 3: each third N only)
set -u
cli=$1
shim=$2
every=${3:-1}
source "$(dirname "$0")/exchange_common.sh"
runs=0 failed=0 unfinished=0
for i in $(seq 1 40); do echo "New$i,Line$i"; done >"$work/new.csv"
vcards 40 >"$work/cards.vcf"

operation() {
    case $1 in
        replace) echo import "$work/new.csv" --delimiter comma --map 1,2 --replace ;;
        append) echo import "$work/new.csv" --delimiter comma --map 1,2 ;;
        vcard) echo import --vcard "$work/cards.vcf" --duplicates skip ;;
        restore) echo restore-backup "$work/backup/" ;;
    esac
}

for op in replace append vcard restore; do
    fresh
    listing >"$work/before"
    # shellcheck disable=SC2046
    count_calls $(operation $op)
    listing >"$work/after"
    for cls in creat write fsync link rename unlink; do
        for ((n = 1; n <= ${calls[$cls]:-0}; n += every)); do
            for sticky in 0 1; do
                what="$op $cls $n $([ $sticky = 1 ] && echo lasting || echo once)"
                fresh
                runs=$((runs + 1))
                # shellcheck disable=SC2046
                FI_DIR=$work/card FI_OP=$cls FI_N=$n FI_STICKY=$sticky FI_ERR=ENOSPC LD_PRELOAD=$shim \
                    "$cli" --force --data "$work/card/" $(operation $op) >"$work/out" 2>&1
                status=$?
                listing >"$work/now"
                check=$("$cli" --data "$work/card/" check 2>&1)
                [ "$check" = ok ] || fail "$what" "check: $(head -2 <<<"$check")"
                if [ $status -eq 0 ]; then
                    cmp -s "$work/now" "$work/after" || fail "$what" "reported success but the cards differ"
                    continue
                fi
                failed=$((failed + 1))
                [ $status -eq 4 ] || fail "$what" "exit $status: $(head -2 "$work/out")"
                if grep -q "next opened" "$work/out"; then
                    unfinished=$((unfinished + 1))
                    cmp -s "$work/now" "$work/after" || fail "$what" "not finished by the next command"
                else
                    cmp -s "$work/now" "$work/before" || fail "$what" "failed, but the card file changed: $(head -2 "$work/out")"
                fi
            done
        done
    done
done
echo "$runs runs with a failing step: $failed reported a failure ($unfinished finished by the next command), none lost a card"
[ "$failures" -eq 0 ]

#!/bin/bash
# Kills tessaly-cli with SIGKILL while it imports 8000 lines (replacing), imports
# 2000 vCards (appending) and restores a smaller backup over a larger card file:
# half of the kills at a random moment, half at a chosen create, write, flush,
# link, rename or remove (through the fault injector). After each kill the next
# command (check) must find the card file whole and list exactly the cards of
# before or exactly those of after: none lost, none doubled, no mixture.
# usage: exchange_kill_test.sh TESSALY_CLI FAULTSHIM KILLS_PER_OPERATION
set -u
cli=$1
shim=$2
kills=${3:-25}
source "$(dirname "$0")/exchange_common.sh"
for i in $(seq 1 8000); do echo "Big$i,Import$i,+44 20 7946 $i"; done >"$work/big.csv"
vcards 2000 >"$work/cards.vcf"

operation() {  # the command line of operation $1 on the card file in $2
    case $1 in
        import) echo import "$work/big.csv" --delimiter comma --map 1,2,13 --replace --yes-up-to-limit ;;
        vcard) echo import --vcard "$work/cards.vcf" ;;
        restore) echo restore-backup "$work/backup/" ;;
    esac
}

for op in import vcard restore; do
    fresh
    listing >"$work/before"
    start=$(date +%s%N)
    # shellcheck disable=SC2046
    count_calls $(operation $op)
    took=$((($(date +%s%N) - start) / 1000000 + 1))
    listing >"$work/after"
    cmp -s "$work/before" "$work/after" && fail "$op" "before and after are the same"
    classes=(creat write fsync link rename unlink)
    ends=(0 0)
    for k in $(seq 1 "$kills"); do
        fresh
        if ((k % 2)); then
            # shellcheck disable=SC2046
            "$cli" --force --data "$work/card/" $(operation $op) >/dev/null 2>&1 &
            pid=$!
            delay=$((RANDOM * took / 32768))
            sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
            kill -KILL "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
        else
            cls=${classes[$(((k / 2) % ${#classes[@]}))]}
            total=${calls[$cls]:-0}
            ((total > 0)) || continue
            when=before
            ((RANDOM % 2)) && when=after
            # shellcheck disable=SC2046
            (FI_DIR=$work/card FI_KILL_OP=$cls FI_KILL_N=$((RANDOM % total + 1)) FI_KILL_WHEN=$when LD_PRELOAD=$shim \
                "$cli" --force --data "$work/card/" $(operation $op)) >/dev/null 2>&1
        fi
        check=$("$cli" --data "$work/card/" check 2>&1)
        [ "$check" = ok ] || fail "$op kill $k" "check: $(head -3 <<<"$check")"
        [ -e "$work/card/.tessaly-stage" ] && fail "$op kill $k" "the stage is still there after a command"
        listing >"$work/now"
        if cmp -s "$work/now" "$work/before"; then
            ends[0]=$((ends[0] + 1))
        elif cmp -s "$work/now" "$work/after"; then
            ends[1]=$((ends[1] + 1))
        else
            fail "$op kill $k" "neither before nor after: $(wc -l <"$work/now") lines listed"
        fi
    done
    echo "$op: $kills kills, ${ends[0]} left it as before, ${ends[1]} as after (one run takes $took ms)"
done
[ "$failures" -eq 0 ]

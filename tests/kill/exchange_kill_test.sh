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
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
failures=0

fail() {
    echo "FAIL ($1): $2"
    failures=$((failures + 1))
}

# The starting point: 250 cards in three card files, a backup of the first 150.
pristine=$work/pristine
mkdir -p "$pristine" "$work/backup"
"$cli" --data "$pristine/" init >/dev/null
for i in $(seq 1 150); do echo "First$i,Last$i,+1 555 01$i"; done >"$work/a.csv"
for i in $(seq 151 250); do echo "First$i,Last$i,+1 555 02$i"; done >"$work/b.csv"
"$cli" --data "$pristine/" import "$work/a.csv" --delimiter comma --map 1,2,13 >/dev/null
"$cli" --data "$pristine/" backup "$work/backup/" >/dev/null
"$cli" --data "$pristine/" import "$work/b.csv" --delimiter comma --map 1,2,13 >/dev/null
for i in $(seq 1 8000); do echo "Big$i,Import$i,+44 20 7946 $i"; done >"$work/big.csv"
for i in $(seq 1 2000); do
    printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Card%d;Vee;;;\r\nFN:Vee Card%d\r\nEMAIL:vee%d@example.org\r\nEND:VCARD\r\n' "$i" "$i" "$i"
done >"$work/cards.vcf"

operation() {  # the command line of operation $1 on the card file in $2
    case $1 in
        import) echo import "$work/big.csv" --delimiter comma --map 1,2,13 --replace --yes-up-to-limit ;;
        vcard) echo import --vcard "$work/cards.vcf" ;;
        restore) echo restore-backup "$work/backup/" ;;
    esac
}

fresh() {
    rm -rf "$work/card"
    cp -a "$pristine" "$work/card"
}

listing() { "$cli" --data "$work/card/" list 2>&1; "$cli" --data "$work/card/" list --deleted 2>&1; }

for op in import vcard restore; do
    fresh
    listing >"$work/before"
    start=$(date +%s%N)
    # shellcheck disable=SC2046
    FI_DIR=$work/card FI_COUNT=$work/counts LD_PRELOAD=$shim "$cli" --force --data "$work/card/" $(operation $op) >/dev/null 2>&1 ||
        fail "$op" "the operation fails without a kill"
    took=$((($(date +%s%N) - start) / 1000000 + 1))
    listing >"$work/after"
    cmp -s "$work/before" "$work/after" && fail "$op" "before and after are the same"
    declare -A calls=()
    for pair in $(tail -1 "$work/counts"); do calls[${pair%%=*}]=${pair#*=}; done
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

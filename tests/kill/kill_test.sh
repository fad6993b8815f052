#!/bin/bash
# Kills tessaly-cli with SIGKILL at random moments while it rewrites the links
# of a scrambled card file and while it adds and renames cards. After each kill
# the start-up repair (tessaly-cli repair) must leave a file that check finds
# sound, holding every card whose add had finished.
# usage: kill_test.sh TESSALY_CLI [SECONDS]
set -u
cli=$1
seconds=${2:-55}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
runs=0 kills=0 failures=0 leftovers=0

fail() {
    echo "FAIL ($1): $2"
    failures=$((failures + 1))
}

# A pause of 0 to $1 milliseconds.
nap() { sleep "0.$(printf %03d $((RANDOM % ($1 + 1))))"; }

# Runs tessaly-cli in the background and kills it after up to $1 ms; the
# command's output goes to $work/out. Returns the command's exit status.
run_and_kill() {
    local max=$1
    shift
    "$cli" --force "$@" >"$work/out" 2>&1 &
    local pid=$!
    nap "$max"
    kill -KILL "$pid" 2>/dev/null
    { wait "$pid"; } 2>/dev/null
    local status=$?
    runs=$((runs + 1))
    [ $status -eq 137 ] && kills=$((kills + 1))
    return $status
}

# Every card the file holds is on a list, and each one named in $2 is among them.
verify() {
    local dir=$1 committed=$2 what=$3
    # Anything beside the card files is a temporary file a killed run left.
    leftovers=$((leftovers + $(find "$dir" -type f ! -regex '.*/tesly[0-9]*\.dat' ! -name tesly.lock | wc -l)))
    find "$dir" -type f ! -regex '.*/tesly[0-9]*\.dat' -delete
    "$cli" --force --data "$dir" repair >"$work/repair" 2>&1 || fail "$what" "repair: $(head -3 "$work/repair")"
    local check
    check=$("$cli" --data "$dir" check)
    [ "$check" = ok ] || fail "$what" "check: $(head -3 <<<"$check")"
    { "$cli" --data "$dir" list; "$cli" --data "$dir" list --deleted; } | cut -f1 | sort >"$work/listed"
    local lost
    lost=$(sort "$committed" | comm -23 - "$work/listed" | tr '\n' ' ')
    [ -z "$lost" ] || fail "$what" "cards lost: $lost"
}

# 300 cards chained in the order of their numbers under names in random order.
scrambled=$work/scrambled
mkdir -p "$scrambled"
n=300
printf '[General Info]\r\nApplication=Tessaly\r\nTotalNoOfRecords=%d\r\nNoOfRecords=%d\r\nNameFirstRecord=0\r\nCompanyFirstRecord=0\r\nDelNoOfRecords=0\r\nDelFirstRecord=\r\n' $n $n >"$scrambled/tesly.dat"
for ((i = 0; i < n; i++)); do
    prev=$((i - 1)) next=$((i + 1))
    ((i == 0)) && prev=
    ((i == n - 1)) && next=
    name="N$RANDOM" company="C$RANDOM"
    printf '[Record%d]\r\nLastName=%s\r\nCompany=%s\r\nShowName=%s\r\nShowCompany=( %s )\r\nPrevName=%s\r\nNextName=%s\r\nPrevCompany=%s\r\nNextCompany=%s\r\n' \
        $i "$name" "$company" "$name" "$company" "$prev" "$next" "$prev" "$next" >>"$scrambled/tesly$((i / 100)).dat"
done
seq 0 $((n - 1)) >"$work/all"

adds=$work/adds
"$cli" --data "$adds" init
: >"$work/committed"

# At least 50 kills: on a busy machine the run goes on, up to three times as long.
round=0
while ((SECONDS < 3 * seconds && (SECONDS < seconds || kills < 50))); do
    round=$((round + 1))
    if ((round % 2)); then
        # The sort's rewrite of a scrambled file.
        rm -rf "$work/sort" && cp -r "$scrambled" "$work/sort"
        run_and_kill 60 --data "$work/sort" sort
        verify "$work/sort" "$work/all" "sort, round $round"
        continue
    fi
    # An add, or a rename that moves a card through the deleted list.
    if ((round % 6 == 0)) && [ -s "$work/committed" ]; then
        card=$(shuf -n 1 "$work/committed")
        run_and_kill 450 --data "$adds" edit "$card" "LastName=R$RANDOM"
    elif run_and_kill 250 --data "$adds" add "LastName=A$RANDOM" "Company=K$((RANDOM % 5))"; then
        cat "$work/out" >>"$work/committed"
    fi
    verify "$adds" "$work/committed" "add or rename, round $round"
done

echo "kill test: $runs runs, $kills kills, $failures failures, $leftovers temporary files left by killed runs," \
    "$(wc -l <"$work/committed") cards committed"
((failures == 0 && kills >= 50))

#!/bin/bash
# Backups under kills and failing writes. tessaly-cli backup DIR and backup --auto
# run through the LD_PRELOAD injector, which kills them just before and just
# after the N-th create, write, flush, rename and remove in the backup folder,
# and fails each such step once and from then on (a disk that stays full), for
# every N a clean run makes; the long run adds kills at random moments. After
# each run the next use of the folder (backup_probe settles it as every use
# does) must find the previous backup or the new one, complete: exit 0 only with
# the new one, a failure with the previous one unless it says the new one stands.
# usage: backup_kill_test.sh TESSALY_CLI BACKUP_PROBE FAULTSHIM CARDS RANDOM_KILLS [STRIDE]
# STRIDE k runs every k-th of those plans only (a quick sample; k prime to 4 mixes kills and faults).
set -u
export LC_ALL=C
cli=$1 probe=$2 shim=$3 cards=$4 random_kills=$5 stride=${6:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data HOME=$work/home
data=$work/cards/ bk=$work/backup root=$work/root keep=3
runs=0 kills=0 faults=0 failures=0 round=0

fail() {
    echo "FAIL ($1): $2"
    failures=$((failures + 1))
}

# A digest of the backup files in $1 (tesly*.old, either case), or of the card files as they would be backed up.
folder_id() { (cd "$1" && ls -A | grep -i '^tesly[0-9]*\.old$' | sort | xargs -r md5sum) | md5sum | cut -c1-32; }
data_id() { (cd "$1" && ls -A | grep '^tesly[0-9]*\.dat$' | sort | xargs -r md5sum | sed 's/\.dat$/.old/') | md5sum | cut -c1-32; }

# What a use of the folder may find besides the backup: its mark and lock, the automatic backups, other files.
leftovers() { ls -A "$1" | grep -v -i -E '^(tesly[0-9]*\.old|\.tessaly-backup|\.tessaly-lock|auto-.*|notes\.old)$'; }

# Runs tessaly-cli under the injector ($1: the folder it watches; FI_* in the environment); $work/err gets its messages.
shimmed() {
    local dir=$1
    shift
    FI_DIR=$dir LD_PRELOAD=$shim "$cli" --data "$data" "$@" >/dev/null 2>"$work/err"
}

# The steps a clean run makes in the folder, "class count" per line.
steps() {
    local dir=$1
    shift
    rm -f "$work/count"
    FI_COUNT=$work/count shimmed "$dir" "$@"
    tr ' ' '\n' <"$work/count" | grep -v -e injected -e '^$' | tr '=' ' '
}

# Every way of interrupting one run: "KILL class n before|after" or "FAULT class n once|lasting".
plans() {
    while read -r class count; do
        for ((n = 1; n <= count; n++)); do
            for when in before after; do echo "KILL $class $n $when"; done
            for how in once lasting; do echo "FAULT $class $n $how"; done
        done
    done
}

# One interrupted run of "$@" under plan $plan; returns the exit status.
interrupted() {
    local dir=$1 kind class n how
    shift
    read -r kind class n how <<<"$plan"
    runs=$((runs + 1))
    # Braces keep the shell's "Killed" notes out of the log.
    if [ "$kind" = KILL ]; then
        { FI_KILL_OP=$class FI_KILL_N=$n FI_KILL_WHEN=$how shimmed "$dir" "$@"; } 2>/dev/null
    elif [ "$kind" = FAULT ]; then
        FI_OP=$class FI_N=$n FI_STICKY=$([ "$how" = lasting ] && echo 1 || echo 0) FI_ERR=ENOSPC shimmed "$dir" "$@"
    else  # RANDOM: killed after up to $n ms
        "$cli" --data "$data" "$@" >/dev/null 2>"$work/err" &
        local pid=$!
        sleep "$(printf '0.%03d' $((RANDOM % (n + 1))))"
        kill -KILL $pid 2>/dev/null
        { wait $pid; } 2>/dev/null
    fi
    local status=$?
    [ $status -eq 137 ] && kills=$((kills + 1))
    [ "$kind" = FAULT ] && [ $status -ne 0 ] && faults=$((faults + 1))
    return $status
}

change_cards() { "$cli" --data "$data" add "LastName=R$round" "Company=C$((round % 7))" >/dev/null || fail "round $round" "add"; }

# backup DIR: the previous backup (with a stale tesly9.old of a larger one) or the new one.
plain_round() {
    round=$((round + 1))
    change_cards
    echo "of a larger backup" >"$bk/tesly9.old"
    local old new status got
    old=$(folder_id "$bk") new=$(data_id "$data")
    interrupted "$bk" backup "$bk"
    status=$?
    "$probe" "$bk" >"$work/probe" 2>&1 || fail "backup, $plan" "probe: $(cat "$work/probe")"
    [ "$(cat "$work/probe")" = complete ] || fail "backup, $plan" "no complete backup after the next use"
    got=$(folder_id "$bk")
    if [ $status -eq 0 ]; then
        [ "$got" = "$new" ] || fail "backup, $plan" "exit 0 without the new backup"
    elif [ "$got" != "$old" ] && [ "$got" != "$new" ]; then
        fail "backup, $plan" "neither the previous backup nor the new one (exit $status)"
    elif [ $status -ne 137 ] && [ "$got" = "$new" ] && ! grep -q "put in place the next time" "$work/err"; then
        fail "backup, $plan" "the failure did not say the new backup stands: $(cat "$work/err")"
    fi
    [ -z "$(leftovers "$bk")" ] || fail "backup, $plan" "left: $(leftovers "$bk" | tr '\n' ' ')"
    [ "$(cat "$bk/notes.old")" = mine ] || fail "backup, $plan" "a file of the user's was touched"
}

# The complete automatic backups of our card file, "NAME ID" per line.
auto_state() {
    "$probe" --auto "$root" "$data" >"$work/probe" 2>&1 || fail "auto, $plan" "probe: $(cat "$work/probe")"
    grep '^complete ' "$work/probe" | while read -r _ name; do echo "$name $(folder_id "$root/$name")"; done
}

# backup --auto: the previous set of backups or the new one (a new one made, the oldest beyond $keep removed).
auto_round() {
    round=$((round + 1))
    local before after status new appeared gone
    before=$(auto_state)
    change_cards
    new=$(data_id "$data")
    interrupted "$root" backup --auto
    status=$?
    after=$(auto_state)
    # Every backup there was there before or is the new one; only those beyond the newest $((keep - 1)) may have gone, once the new one stood.
    appeared=$(comm -13 <(echo "$before") <(echo "$after") | grep -c .)
    gone=$(comm -23 <(echo "$before") <(echo "$after") | grep .)
    [ "$appeared" -le 1 ] || fail "auto, $plan" "more than one new backup"
    comm -13 <(echo "$before") <(echo "$after") | grep . | grep -q -v " $new\$" && fail "auto, $plan" "a backup that is not the new one appeared"
    if [ -n "$gone" ]; then
        [ -z "$(comm -12 <(echo "$gone") <(echo "$before" | tail -n $((keep - 1))))" ] ||
            fail "auto, $plan" "one of the $((keep - 1)) newest backups went"
        [ "$appeared" -eq 1 ] || fail "auto, $plan" "an old backup went without a new one"
    fi
    if [ $status -eq 0 ]; then
        [ "$(echo "$after" | grep -c " $new\$")" -eq 1 ] || fail "auto, $plan" "exit 0 without the new backup"
    fi
    [ -z "$(leftovers "$root")" ] || fail "auto, $plan" "left: $(leftovers "$root" | tr '\n' ' ')"
    # The next unhindered step clears what a killed removal left, and keeps $keep.
    if [ $status -ne 0 ]; then
        "$cli" --data "$data" backup --auto >/dev/null 2>&1 || fail "auto, $plan" "the next step failed"
        "$probe" --auto "$root" "$data" >"$work/probe"
        ! grep -q '^incomplete' "$work/probe" || fail "auto, $plan" "an incomplete backup of ours stayed"
        [ "$(grep -c '^complete' "$work/probe")" -eq $keep ] || fail "auto, $plan" "not $keep backups kept"
    fi
}

# A card file of $cards cards, a complete backup, and $keep automatic ones.
mkdir -p "$data" "$bk" "$root" "$XDG_CONFIG_HOME/Tessaly"
printf '[Data Files]\nBackupPath=%s/\nAutoBackupKeep=%d\n' "$root" $keep >"$XDG_CONFIG_HOME/Tessaly/ostrel.ini"
"$cli" --data "$data" init >/dev/null
for ((i = 0; i < cards; i++)); do echo "F$i,L$((RANDOM * 7 % 100000))"; done >"$work/cards.csv"
"$cli" --data "$data" import "$work/cards.csv" --delimiter comma --map 1,2 --yes-up-to-limit >/dev/null || fail setup "import"
echo mine >"$bk/notes.old"
"$cli" --data "$data" backup "$bk" >/dev/null || fail setup "backup"
for ((i = 0; i < keep; i++)); do "$cli" --data "$data" backup --auto >/dev/null || fail setup "auto"; done

steps "$bk" backup "$bk" >"$work/plain-steps"
steps "$root" backup --auto >"$work/auto-steps"
plans <"$work/plain-steps" | awk "NR % $stride == 1 % $stride" >"$work/plain-plans"
plans <"$work/auto-steps" | awk "NR % $stride == 1 % $stride" >"$work/auto-plans"
while read -r plan; do plain_round; done <"$work/plain-plans"
while read -r plan; do auto_round; done <"$work/auto-plans"
systematic=$kills

# Kills at random moments of a whole run, start-up included.
if ((random_kills > 0)); then
    start=$(date +%s%N)
    "$cli" --data "$data" backup "$bk" >/dev/null
    span=$((($(date +%s%N) - start) / 1000000 + 20))
    ((span > 999)) && span=999
    target=$((kills + random_kills))
    while ((kills < target)); do plan="RANDOM - $span -"; plain_round; done
    target=$((kills + random_kills))
    while ((kills < target)); do plan="RANDOM - $span -"; auto_round; done
fi

echo "backup kill test: $cards cards, $runs runs, $kills kills ($systematic at chosen steps), $faults failed runs under faults," \
    "$failures failures; steps of a backup: $(tr '\n' ' ' <"$work/plain-steps"); of an automatic one: $(tr '\n' ' ' <"$work/auto-steps")"
((failures == 0))

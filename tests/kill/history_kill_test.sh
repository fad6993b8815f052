#!/bin/bash
# The history of changes against crashes and failing disks, through tessaly-cli.
#  kill: SIGKILL at random moments during adds, edits, deletes, undos and redos. After each, the
#        next command settles what the killed run left: check finds the card file sound, and the
#        latest change can be undone and redone (the history and the card file agree).
#  fault: every write, flush, rename, create and remove of an undo and of a redo fails, once and
#        for good. Each failure is reported (status 4), and the card file and the history are as
#        they were before that undo or redo.
# usage: history_kill_test.sh TESSALY_CLI FAULTSHIM kill|fault [KILLS]
set -u
cli=$1 shim=$2 mode=$3 kills=${4:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
failures=0 runs=0
fail() {
    echo "FAIL ($1): $2"
    failures=$((failures + 1))
}
tcli() { "$cli" --force --data "$work/card/" "$@"; }
# The card files and what the history lists, byte for byte.
state() {
    (cd "$work/card" && for f in tesly*.dat; do echo "== $f"; grep -av '^NoOfUses=' "$f"; done)
    tcli history | cut -f2-
}

mkdir -p "$work/card"
tcli init
for i in $(seq 1 60); do tcli add "FirstName=F$i" "LastName=L$((i % 17))" "Phone1=$i" >/dev/null; done
tcli history --clear >/dev/null

random_change() {
    local n=$((RANDOM % 60))
    case $((RANDOM % 6)) in
        0) echo add "LastName=K$RANDOM" "Notes=$RANDOM" ;;
        1) echo edit "$n" "LastName=E$RANDOM" "Phone2=$RANDOM" ;;
        2) echo delete "$n" ;;
        3) echo restore "$n" ;;
        4) echo undo ;;
        *) echo redo ;;
    esac
}

if [ "$mode" = kill ]; then
    killed=0
    while [ $killed -lt "$kills" ]; do
        # The program itself in the background, not a shell function: a function runs in a
        # subshell, and the kill would end that shell and leave the program running.
        # shellcheck disable=SC2046
        "$cli" --force --data "$work/card/" $(random_change) >/dev/null 2>&1 &
        pid=$!
        sleep "0.0$((RANDOM % 10))$((RANDOM % 10))"
        kill -KILL $pid 2>/dev/null && killed=$((killed + 1))
        wait $pid 2>/dev/null
        runs=$((runs + 1))
        tcli history >/dev/null 2>"$work/err" || fail "run $runs" "history: $(head -2 "$work/err")"
        check=$(tcli check 2>&1)
        [ "$check" = ok ] || fail "run $runs" "check: $(head -3 <<<"$check")"
        tcli undo >"$work/out" 2>&1
        status=$?
        [ $status = 0 ] || [ $status = 2 ] || fail "run $runs" "undo ($status): $(head -2 "$work/out")"
        if [ $status = 0 ]; then
            tcli redo >"$work/out" 2>&1 || fail "run $runs" "redo: $(head -2 "$work/out")"
        fi
    done
    echo "$runs runs, $killed killed, $failures failures"
    exit $((failures > 0))
fi

# fault: a history of five changes, two of them undone, then each step of an undo and a redo failed.
for c in "add LastName=Zed" "edit 3 LastName=Moved" "delete 5" "edit 7 Phone1=7777" "add LastName=Yew"; do
    # shellcheck disable=SC2086
    tcli $c >/dev/null
done
tcli undo 2 >/dev/null
cp -a "$work/card" "$work/card.start"
cp -a "$work/data" "$work/data.start"
fresh() {
    rm -rf "$work/card" "$work/data"
    cp -a "$work/card.start" "$work/card"
    cp -a "$work/data.start" "$work/data"
}
for op in undo redo; do
    for cls in write fsync rename creat unlink; do
        for sticky in 0 1; do
            for ((n = 1; ; n++)); do
                fresh
                before=$(state)
                FI_DIR=$work FI_OP=$cls FI_N=$n FI_STICKY=$sticky FI_ERR=ENOSPC LD_PRELOAD=$shim \
                    tcli $op >"$work/out" 2>&1
                status=$?
                runs=$((runs + 1))
                what="$op $cls $n $([ $sticky = 1 ] && echo lasting || echo once)"
                if [ $status = 0 ]; then
                    [ "$(state)" != "$before" ] || fail "$what" "reported done but nothing changed"
                    break
                fi
                [ $status = 4 ] || fail "$what" "status $status: $(head -2 "$work/out")"
                # The next command settles what the failed one left; then all is as before.
                tcli history >/dev/null 2>&1
                [ "$(state)" = "$before" ] || fail "$what" "the card file or the history changed"
                [ "$(tcli check)" = ok ] || fail "$what" "check"
                [ $n -lt 400 ] || { fail "$what" "never succeeded"; break; }
            done
        done
    done
done
echo "$runs runs, $failures failures"
exit $((failures > 0))

#!/bin/bash
# shellcheck disable=SC2016  # the checks passed to run_case expand there
# Every window that opens over the main window, under a real window manager:
# the program runs on its own Xvfb display with openbox, on a small card file,
# and each window is opened from the keyboard. The window must be a modal
# dialog of the main window for the window manager (transient for it, in the
# modal state; a dialog laid out for one size offers neither to resize nor to
# maximise it); a click on the greyed main window must leave it the active
# window, and the keys typed next must reach it (the card typed in the Edit and New dialogs is in the card
# file afterwards; the others close on Escape). A window that covers the whole
# main window (the file chooser, Possible Duplicates) leaves nothing to click;
# the rest is checked all the same.
# usage: modal_windows_test.sh TS32_20 TESSALY_CLI
# Exits 77 (skipped) when Xvfb, openbox, xdotool, xprop or xwininfo is missing.
set -u
app=$1
cli=$2
for tool in Xvfb openbox xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb="" wm="" program="" silent=""
cleanup() {
    for pid in $program $wm $xvfb $silent; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL ($1): $2"
    failures=$((failures + 1))
}

# Runs "$@" every 50 ms until it succeeds; gives up after $1 seconds.
within() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS > end)) && return 1
        sleep 0.05
    done
}

# The program and openbox read and write their settings here only.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Tessaly"

# Xvfb picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
within 20 test -s "$work/display" || { echo "FAIL: Xvfb did not start: $(tail -3 "$work/xvfb.log")"; exit 1; }
DISPLAY=:$(head -1 "$work/display")
export DISPLAY
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
within 20 wm_up ||
    { echo "FAIL: openbox did not start: $(tail -3 "$work/openbox.log")"; exit 1; }

# Three cards, one of them deleted (for Restore Deleted Record); dialling by a command that does nothing.
cards=$work/cards
"$cli" --data "$cards" init >/dev/null
"$cli" --data "$cards" add FirstName=Ada LastName=Lovelace Phone1=0301234567 >/dev/null
"$cli" --data "$cards" add FirstName=Alan LastName=Turing Company=NPL >/dev/null
gone=$("$cli" --data "$cards" add LastName=Gone)
"$cli" --data "$cards" delete "$gone" >/dev/null
printf '[Data Files]\nTeslyDataPath=%s/\nBackupPath=%s/backup\n[TS32]\nTips=0\nDialVia=Command\nDialCommand=true %%n\n' \
    "$cards" "$work" >"$XDG_CONFIG_HOME/Tessaly/ostrel.ini"

# A CardDAV server that takes each connection and never answers, noting when the other side closes it;
# an account without a user name syncs with it (no password is asked for).
python3 -c '
import socket, sys, threading
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen()
open(sys.argv[1] + "/silent.port", "w").write(str(server.getsockname()[1]))
def hold(conn):
    while conn.recv(65536):
        pass
    open(sys.argv[1] + "/silent.closed", "a").write("closed\n")
while True:
    threading.Thread(target=hold, args=(server.accept()[0],), daemon=True).start()
' "$work" &
silent=$!
within 10 test -s "$work/silent.port" || { echo "FAIL: the silent server did not start"; exit 1; }
printf '[{"name":"silent","server":"http://127.0.0.1:%s/","addressBook":"http://127.0.0.1:%s/book/","user":""}]\n' \
    "$(cat "$work/silent.port")" "$(cat "$work/silent.port")" >"$XDG_CONFIG_HOME/Tessaly/sync-accounts.json"

QT_QPA_PLATFORM=xcb "$app" >"$work/program.log" 2>&1 &
program=$!

active() { xdotool getactivewindow 2>/dev/null; }
is_active() { [ "$(active)" = "$1" ]; }
name_of() { xdotool getwindowname "$1" 2>/dev/null; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
hidden() { ! viewable "$1"; }
# x y width height of a window's inside.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                             /^  Width/ {w=$NF} /^  Height/ {h=$NF} END {print x, y, w, h}'
}
# The active window when its name matches $1 (an extended regular expression).
active_named() {
    local id
    id=$(active) && name_of "$id" | grep -Eq "$1" && echo "$id"
}

main=""
find_main() { main=$(xdotool search --name '^Tessaly, Version' 2>/dev/null | head -1) && [ -n "$main" ] && is_active "$main"; }
within 30 find_main || { echo "FAIL: the main window did not come up: $(tail -5 "$work/program.log")"; exit 1; }
read -r mx my mw mh < <(geometry "$main")

# A point of the main window at fractions (in percent) of its inside.
point() { echo $((mx + mw * $1 / 100)) $((my + mh * $2 / 100)); }
# The list's menu (a right click on the list), then keys through it.
list_menu() {
    local x y
    read -r x y < <(point 70 30)
    xdotool mousemove "$x" "$y" click 3
    sleep 0.3  # the menu maps; keys before that would go to the list
    xdotool key --delay 60 "$@"
}

# Opens a window over the main window, checks how the window manager knows it,
# clicks the greyed main window, then types; "$check" must then hold.
# run_case NAME fixed|sizable TITLE-REGEX OPEN-COMMAND KEYS-TYPED CHECK
run_case() {
    local what=$1 size=$2 title=$3 open=$4 keys=$5 check=$6 dialog="" before=$failures
    within 10 is_active "$main" || { fail "$what" "the main window is not active before"; return; }
    eval "$open"
    dialog=$(within 10 active_named "$title") || {
        fail "$what" "no active window named /$title/ (active: $(name_of "$(active)"))"
        xdotool key Escape
        return
    }
    local props
    props=$(xprop -id "$dialog" WM_TRANSIENT_FOR _NET_WM_STATE WM_NORMAL_HINTS _NET_WM_ALLOWED_ACTIONS)
    grep -q 'WM_TRANSIENT_FOR(WINDOW): window id' <<<"$props" || fail "$what" "not transient for a window"
    grep -q '_NET_WM_STATE_MODAL' <<<"$props" || fail "$what" "not in the modal state"
    local min max
    min=$(sed -n 's/.*minimum size: //p' <<<"$props")
    max=$(sed -n 's/.*maximum size: //p' <<<"$props")
    if [ "$size" = fixed ]; then
        if [ -z "$min" ] || [ "$min" != "$max" ]; then fail "$what" "its size is not fixed (minimum '$min', maximum '$max')"; fi
        grep -q '_NET_WM_ACTION_MAXIMIZE' <<<"$props" && fail "$what" "a window of fixed size offers to maximise"
    fi

    # A click on the main window beside the dialog (its frame included): on the
    # details, below them, in a corner, or on the main window's title bar.
    local dx dy dw dh cx cy at clicked=""
    read -r dx dy dw dh < <(geometry "$dialog")
    for at in "8 45" "8 92" "92 92" "92 4" "4 4"; do
        # shellcheck disable=SC2086  # two numbers
        read -r cx cy < <(point $at)
        if ! ((cx >= dx - 10 && cx <= dx + dw + 10 && cy >= dy - 30 && cy <= dy + dh + 10)); then clicked=1; break; fi
    done
    if [ -z "$clicked" ] && ((my - 8 < dy - 30)); then cx=$((mx + 30)) cy=$((my - 8)) clicked=1; fi
    if [ -n "$clicked" ]; then
        xdotool mousemove "$cx" "$cy" click 1
        sleep 0.2  # the window manager's answer to the click
        within 5 is_active "$dialog" || fail "$what" "the main window took the activation: $(name_of "$(active)")"
    else
        echo "note ($what): the window covers the main window; nothing of it to click"
    fi
    is_active "$main" && fail "$what" "the main window is active after the click"
    # shellcheck disable=SC2086
    xdotool key --delay 40 $keys
    within 10 eval "$check" || fail "$what" "the keys did not reach it (active: $(name_of "$(active)"))"
    # What a failed case left open is closed, so the next case starts from the main window.
    if viewable "$dialog"; then
        xdotool windowactivate "$dialog" 2>/dev/null
        within 5 is_active "$dialog" && xdotool key Escape
        within 5 hidden "$dialog"
    fi
    within 10 is_active "$main" || xdotool windowactivate "$main" 2>/dev/null
    ((failures == before)) && echo "ok: $what"
}

# The checks below are evaluated in run_case, where $dialog is the window of the case.
closed='hidden "$dialog"'
shown() { "$cli" --data "$cards" list | grep -q "$1"; }

run_case "Edit" fixed '^Edit Name$' 'xdotool key alt+e' 'Tab G r a c e Return' 'hidden "$dialog" && shown "Lovelace, Grace"'
run_case "New" fixed '^New Name$' 'xdotool key alt+n' 'Tab Z e d Tab Y o u n g Return' 'hidden "$dialog" && shown "Young, Zed"'
run_case "Delete" fixed '^Delete Name$' 'xdotool key alt+d' Escape "$closed"
run_case "Filter" fixed '^Tessaly Filter$' 'xdotool key alt+f' Escape "$closed"
run_case "Setup" fixed '^Tessaly Setup$' 'xdotool key alt+s' Escape "$closed"
run_case "Dial" fixed '^Dial a Number$' 'list_menu Down Down Down Return' Escape "$closed"
run_case "About" fixed '^About Tessaly$' 'list_menu Up Return' Escape "$closed"
run_case "Tip of The Day" fixed '^Tip of The Day$' 'list_menu Up Up Return' Escape "$closed"
run_case "History of Changes" fixed '^History of Changes$' 'list_menu h' Escape "$closed"
run_case "Print Labels" sizable '^Print Labels$' 'list_menu Down Down Down Down Down Down Down Right Right Return' Escape "$closed"
run_case "Import, first page" fixed '^File to Import$' 'list_menu Down Down Down Down Down Down Down Right Down Right Return' Escape "$closed"
run_case "Back Up question" fixed '^Back Up$' 'list_menu Down Down Down Down Down Down Down Right Down Down Right Return' Escape "$closed"
run_case "Restore Deleted Record" fixed '^Restore Deleted Record$' 'list_menu Down Down Down Down Down Down Down Right Down Down Down Return' Escape "$closed"
run_case "Restore from BackUp question" fixed '^Restore data from Back Up$' 'list_menu Down Down Down Down Down Down Down Right Down Down Right Down Return' Escape "$closed"
run_case "Import vCard file chooser" sizable '^Import vCard$' 'list_menu Down Down Down Down Down Down Down Right Down Down Down Down Return' Escape "$closed"
# A vCard of the first card again: the import asks about it in Possible Duplicates.
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lovelace;Ada;;;\r\nTEL:0301234567\r\nEND:VCARD\r\n' >"$work/again.vcf"
import_again() {
    list_menu Down Down Down Down Down Down Down Right Down Down Down Down Return
    within 10 active_named '^Import vCard$' >/dev/null
    xdotool type --delay 20 "$work/again.vcf"
    xdotool key Return
}
run_case "Possible Duplicates" sizable '^Possible Duplicates$' import_again Escape "$closed"
find_nothing() {
    local x y
    read -r x y < <(point 17 89)
    xdotool mousemove "$x" "$y" click 1
    xdotool type --delay 20 'no such text'
    xdotool key Return
}
run_case "Can't find text" fixed "^Can't find text$" find_nothing Escape "$closed"

# Sync Now with a server that never answers: the main window stays active and takes the keys (the
# Filter window opens over it and closes), and Cancel Sync ends the sync at once (the connection closes).
list_menu s
sleep 1  # the sync connects and waits
run_case "Filter during a sync" fixed '^Tessaly Filter$' 'xdotool key alt+f' Escape "$closed"
[ -e "$work/silent.closed" ] && fail "Sync" "the sync ended before it was cancelled"
list_menu Down Down Down Down Down Down Down Right y
within 3 test -e "$work/silent.closed" || fail "Sync" "Cancel Sync did not end the sync at once"
within 10 is_active "$main" || fail "Sync" "the main window is not active after the cancelled sync"

kill "$program" 2>/dev/null
if ((failures > 0)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "every window kept the activation and took the keys"

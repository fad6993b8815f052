#!/bin/sh
# The Sync Accounts window with a real Secret Service: a D-Bus session and a gnome-keyring of this test's
# own, in a temporary home, so the person's own keyring is never touched.
# Usage: keyring_test.sh PATH/TO/sync_accounts_window_tests
set -eu
tests=$1
test_name=SyncAccountsWindowTest.theKeyringKeepsThePassword

if [ "${IN_KEYRING_SESSION:-}" != 1 ]; then
    home=$(mktemp -d)
    trap 'rm -rf "$home"' EXIT
    mkdir -m 700 "$home/run"
    HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run \
        IN_KEYRING_SESSION=1 dbus-run-session -- "$0" "$tests"
    exit $?
fi

# Inside the session. An empty line as the password: the login keyring is made and unlocked with it, and
# being the default collection it takes the password without asking (no prompter can show here).
echo "" | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null &
daemon=$!
trap 'kill $daemon 2>/dev/null || true' EXIT
tries=0
until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true'; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ]; then
        echo "gnome-keyring-daemon did not offer the Secret Service" >&2
        exit 1
    fi
    sleep 0.1
done

out=$(TESSALY_KEYRING_TEST=1 QT_QPA_PLATFORM=offscreen "$tests" --gtest_filter="$test_name" 2>&1) || status=$?
echo "$out"
# A renamed test would match no filter and pass unseen.
echo "$out" | grep -q "^\[       OK \] $test_name" || exit 1
exit "${status:-0}"

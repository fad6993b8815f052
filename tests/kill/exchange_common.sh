# Shared by the exchange kill and fault loops (sourced, with cli and shim set):
# a temporary home, a card file of 250 cards in three card files with a backup of
# its first 150, and the helpers that reset it and list it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
failures=0

fail() {
    echo "FAIL ($1): $2"
    failures=$((failures + 1))
}

pristine=$work/pristine
mkdir -p "$pristine" "$work/backup"
"$cli" --data "$pristine/" init >/dev/null
for i in $(seq 1 150); do echo "First$i,Last$i,+1 555 01$i"; done >"$work/a.csv"
for i in $(seq 151 250); do echo "First$i,Last$i,+1 555 02$i"; done >"$work/b.csv"
"$cli" --data "$pristine/" import "$work/a.csv" --delimiter comma --map 1,2,13 >/dev/null
"$cli" --data "$pristine/" backup "$work/backup/" >/dev/null
"$cli" --data "$pristine/" import "$work/b.csv" --delimiter comma --map 1,2,13 >/dev/null

# vCards numbered 1 to $1, one e-mail each.
vcards() {
    for ((i = 1; i <= $1; i++)); do
        printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Card%d;Vee;;;\r\nFN:Vee Card%d\r\nEMAIL:vee%d@example.org\r\nEND:VCARD\r\n' "$i" "$i" "$i"
    done
}

fresh() {
    rm -rf "$work/card"
    cp -a "$pristine" "$work/card"
}

listing() { "$cli" --data "$work/card/" list 2>&1; }

# The counts of each kind of call that $@ makes in the card folder, into the array calls.
count_calls() {
    FI_DIR=$work/card FI_COUNT=$work/counts LD_PRELOAD=$shim "$cli" --force --data "$work/card/" "$@" >/dev/null 2>&1 ||
        fail "$*" "the operation fails without a fault"
    declare -gA calls=()
    for pair in $(tail -1 "$work/counts"); do calls[${pair%%=*}]=${pair#*=}; done
}

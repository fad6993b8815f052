"""Reads a vCard file with python3-vobject and prints each card's sixteen
card fields as JSON, the way the card file holds them (line breaks as CR LF).
Exits 3 when vobject is not installed."""
import json
import sys

try:
    import vobject
except ImportError:
    print("python3-vobject is not installed")
    sys.exit(3)


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


def text(value):
    return ",".join(value) if isinstance(value, list) else value


cards = []
with open(sys.argv[1], encoding="utf-8", newline="") as f:
    for vcard in vobject.readComponents(f.read()):
        contents = vcard.contents
        card = {}
        n = vcard.n.value
        card["Sal"], card["FirstName"], card["LastName"] = text(n.prefix), text(n.given), text(n.family)
        if "title" in contents:
            card["Title"] = vcard.title.value
        if "org" in contents:
            card["Company"] = ";".join(vcard.org.value)
        if "adr" in contents:
            adr = vcard.adr.value
            for i, line in enumerate(text(adr.street).split("\n")):
                card["Address%d" % (i + 1)] = line
            # Address4 holds the city and the region, joined as the details show them.
            card["Address4"] = ", ".join(part for part in (text(adr.city), text(adr.region)) if part)
            card["Address5"], card["Address6"] = text(adr.code), text(adr.country)
        for tel in contents.get("tel", []):
            types = [t.upper() for p in tel.params.get("TYPE", []) for t in p.split(",")]
            field = "Fax" if "FAX" in types else "Phone2" if "HOME" in types else "Phone1"
            card[field] = tel.value
        if "email" in contents:
            card["EMail"] = vcard.email.value
        if "note" in contents:
            card["Notes"] = crlf(vcard.note.value)
        cards.append(card)
print(json.dumps(cards, ensure_ascii=False))

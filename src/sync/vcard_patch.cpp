#include "vcard_patch.h"

#include "exchange/vcard/vcard_cards.h"
#include "exchange/vcard/vcard_writer.h"
#include "vcard_lines.h"

#include <QDateTime>
#include <QSet>
#include <functional>

namespace tessaly::sync {

using store::Card;
using store::VCardProperty;
using store::VCardUnescape;
using Role = ContentLine::Role;
// The value a line gives a field (empty: none).
using Reading = std::function<QString(const VCardProperty&)>;

namespace {

constexpr qsizetype kLineOctets = 75;

// Text escaped as the reader undoes it. Version 2.1 knows no \n and escapes no comma: its line breaks
// stay, and the line goes quoted-printable.
QString Escaped(const QString& text, bool v21) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        if (c == u'\r' || c == u'\n')
            out += v21 ? QStringLiteral("\r\n") : QStringLiteral("\\n");
        else if (c == u'\\' || c == u';' || (c == u',' && !v21))
            out += u'\\', out += c;
        else
            out += c;
    }
    return out;
}

// The components of a structured value as written, still escaped, split where VCardComponents splits.
QStringList RawComponents(const QString& value) {
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\')
            ++i;
        else if (value[i] == u';')
            parts << value.mid(start, i - start), start = i + 1;
    }
    parts << value.mid(start);
    return parts;
}

// The reader's joins: both texts when both are there; the filled parts only.
QString Joined(const QString& a, const QString& b, const QString& separator) {
    if (a.isEmpty()) return b;
    return b.isEmpty() ? a : a + separator + b;
}

QString JoinFilled(const QStringList& parts, const QString& separator) {
    QStringList filled;
    for (const QString& part : parts)
        if (!part.trimmed().isEmpty()) filled << part;
    return filled.join(separator);
}

QString CompanyText(const QStringList& org) {
    return Joined(org.value(0), JoinFilled(org.mid(1), QStringLiteral(", ")), QStringLiteral(", "));
}

// The writer's formatted name, and its split of the address lines into ADR components.
QString FormattedName(const Card& c) {
    const QString name = (c.firstName() + u' ' + c.lastName()).trimmed();
    return name.isEmpty() ? c.company() : name;
}

// The street lines of an ADR that the card has no room for, as the reader counts them: kept when the
// address is rewritten, since the card never showed them.
QStringList StreetOverflow(const QStringList& adr) {
    QStringList lines;
    for (int i : {0, 1})
        if (!adr.value(i).isEmpty()) lines << adr.value(i).split(QStringLiteral("\r\n"));
    lines << adr.value(2).split(QStringLiteral("\r\n"));
    const qsizetype room = Joined(adr.value(3), adr.value(4), QStringLiteral(", ")).isEmpty() ? 4 : 3;
    QStringList overflow;
    for (qsizetype i = room; i < lines.size(); ++i)
        if (!lines[i].isEmpty()) overflow << lines[i];
    return overflow;
}

QString AddressValue(const Card& c, const QStringList& overflow, bool v21) {
    QStringList street = {c.addressLine(1), c.addressLine(2), c.addressLine(3)};
    while (overflow.isEmpty() && !street.isEmpty() && street.back().isEmpty()) street.removeLast();
    street << overflow;
    QString locality = c.addressLine(4), region;
    const qsizetype at = locality.lastIndexOf(QStringLiteral(", "));
    if (at > 0 && at + 2 < locality.size()) region = locality.mid(at + 2), locality.truncate(at);
    QStringList components;
    for (const QString& text :
         {QString(), QString(), street.join(u'\n'), locality, region, c.addressLine(5), c.addressLine(6)})
        components << Escaped(text, v21);
    return components.join(u';');
}

// A number that a tel: URI carries as it is, so that the reader gives it back unchanged.
bool UriSafe(const QString& number) {
    for (QChar c : number)
        if (!(c.isDigit() && c.unicode() < 0x80) && !(c.unicode() < 0x80 && c.isLetter()) &&
            !QStringLiteral("+-.()*#;=").contains(c))
            return false;
    return !number.isEmpty();
}

struct LineStyle {
    bool v21 = false;
    bool keepsFoldBlank = false;
    QByteArray lineEnd;
};

QByteArray QuotedPrintableLine(const QByteArray& head, const QByteArray& value, const QByteArray& lineEnd) {
    QByteArray out = head + ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
    qsizetype length = out.size();
    for (qsizetype i = 0; i < value.size(); ++i) {
        const uchar c = uchar(value[i]);
        const bool plain = (c > ' ' && c < 0x7F && c != '=') || (c == ' ' && i + 1 < value.size());
        const QByteArray piece =
            plain ? QByteArray(1, char(c)) : '=' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        if (length + piece.size() > kLineOctets - 1) out += '=' + lineEnd, length = 0;  // a soft line break
        out += piece;
        length += piece.size();
    }
    return out + lineEnd;
}

// A content line in the vCard's style. Version 2.1, whose readers keep the blank of a fold: as it is when
// short printable ASCII, else quoted-printable UTF-8. Later versions: folded at 75 octets, line breaks as \n.
QByteArray EncodedLine(const QByteArray& head, const QString& value, const LineStyle& style) {
    if (style.v21) {
        bool plain = head.size() + 1 + value.size() <= kLineOctets && !value.endsWith(u'=');
        for (QChar c : value) plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F;
        return plain ? head + ':' + value.toLatin1() + style.lineEnd
                     : QuotedPrintableLine(head, value.toUtf8(), style.lineEnd);
    }
    QString text = value;  // kept components may hold line breaks decoded from quoted-printable
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\n"))
        .replace(u'\n', QStringLiteral("\\n"));
    const QByteArray line = head + ':' + text.toUtf8();
    if (style.keepsFoldBlank) return line + style.lineEnd;
    QByteArray folded = store::FoldVCardLine(line);
    if (style.lineEnd != "\r\n") folded.replace("\r\n", style.lineEnd);
    return folded;
}

// The name and parameters of a line for a new value: without those that said how the old value was
// encoded, and without the parameters named in 'dropped' (upper case).
QByteArray HeadFor(const QByteArray& logical, const QList<QByteArray>& dropped) {
    const QList<QByteArray> parts = HeadParts(logical.left(ValueColon(logical)));
    QByteArray head = parts.front();
    for (const QByteArray& part : parts.mid(1)) {
        const QByteArray upper = part.trimmed().toUpper();
        const qsizetype eq = upper.indexOf('=');
        const QByteArray key = eq < 0 ? QByteArray() : upper.left(eq).trimmed();
        if (key == "ENCODING" || key == "CHARSET" || upper == "BASE64" || upper.contains("QUOTED-PRINTABLE") ||
            dropped.contains(key))
            continue;
        head += ';' + part;
    }
    return head;
}

// The lines of the server's vCard with the changes made so far.
class Patcher {
public:
    explicit Patcher(const ServerLines& server)
        : s_(server),
          v21_(server.version.startsWith(u'2')),
          text_(server.lines.size()),
          removed_(server.lines.size()),
          added_(server.lines.size()) {
        for (qsizetype i = 0; i < s_.lines.size(); ++i) text_[i] = s_.lines[i].raw;
    }

    // N carries the salutation and the names, FN the name shown; both rewritten when 'force'.
    void names(const Card& was, const Card& now, bool force) {
        if (force || was.salutation() != now.salutation() || was.firstName() != now.firstName() ||
            was.lastName() != now.lastName()) {
            const qsizetype at = first(QStringLiteral("N"));
            QStringList c = at < 0 ? QStringList() : RawComponents(property(at).value);
            while (c.size() < 5) c << QString();
            // Components whose reading stays are kept as written (a list of given names, say).
            if (VCardUnescape(c[0]) != now.lastName()) c[0] = Escaped(now.lastName(), v21_);
            if (Joined(VCardUnescape(c[1]), VCardUnescape(c[2]), QStringLiteral(" ")) != now.firstName())
                c[1] = Escaped(now.firstName(), v21_), c[2].clear();
            if (VCardUnescape(c[3]) != now.salutation()) c[3] = Escaped(now.salutation(), v21_);
            set(at, QStringLiteral("N"), "N", {}, c.join(u';'));
        }
        if (force || FormattedName(was) != FormattedName(now)) {
            const qsizetype at = last(QStringLiteral("FN"));  // the reader takes the last
            if (at >= 0)
                text_[at] =
                    EncodedLine(HeadFor(s_.lines[at].logical, {}), Escaped(FormattedName(now), v21_), styleAt(at));
            else
                set(at, QStringLiteral("FN"), "FN", {}, Escaped(FormattedName(now), v21_));
        }
    }

    // TITLE, EMAIL, NOTE: the first one that gives the field.
    void text(int field, const QString& name, const QByteArray& newHead, const Card& was, const Card& now) {
        if (was[field] == now[field]) return;
        const Reading reading = [](const VCardProperty& p) { return VCardUnescape(p.value); };
        const qsizetype at = first(name, reading);
        if (now[field].isEmpty()) return clear(at, reading);
        set(at, name, newHead, {}, Escaped(now[field], v21_));
    }

    // ORG: its units after the first component stay when the company still ends with them.
    void company(const Card& was, const Card& now) {
        if (was.company() == now.company()) return;
        const Reading reading = [](const VCardProperty& p) { return CompanyText(store::VCardComponents(p.value)); };
        const qsizetype at = first(QStringLiteral("ORG"), reading);
        if (now.company().isEmpty()) return clear(at, reading);
        QString value = Escaped(now.company(), v21_);
        if (at >= 0) {
            const QString units = JoinFilled(store::VCardComponents(property(at).value).mid(1), QStringLiteral(", "));
            const QString tail = QStringLiteral(", ") + units;
            if (!units.isEmpty() && now.company().endsWith(tail) && now.company().size() > tail.size())
                value = Escaped(now.company().chopped(tail.size()), v21_) + u';' +
                        RawComponents(property(at).value).mid(1).join(u';');
        }
        set(at, QStringLiteral("ORG"), "ORG", {}, value);
    }

    // The first ADR, rewritten whole; its label described the old address and goes.
    void address(const Card& was, const Card& now) {
        bool changed = false, empty = true;
        for (int f = store::Address1; f <= store::Address6; ++f)
            changed = changed || was[f] != now[f], empty = empty && now[f].isEmpty();
        if (!changed) return;
        const qsizetype at = first(QStringLiteral("ADR"));  // the reader takes the first, even an empty one
        if (empty) return clear(at, [](const VCardProperty& p) { return store::VCardComponents(p.value).join(u';'); });
        const QStringList overflow =
            at < 0 ? QStringList() : StreetOverflow(store::VCardComponents(property(at).value));
        set(at, QStringLiteral("ADR"), "ADR", {"LABEL"}, AddressValue(now, overflow, v21_));
    }

    // The first TEL the reader gives this field; a tel: URI stays one when the number can be one.
    void phone(int field, const QByteArray& newHead, const Card& was, const Card& now) {
        if (was[field] == now[field]) return;
        const QString& version = s_.version;
        const Reading reading = [&](const VCardProperty& p) {
            return store::VCardPhoneField(p) == field ? store::VCardPhoneText(p, version) : QString();
        };
        const qsizetype at = first(QStringLiteral("TEL"), reading);
        if (now[field].isEmpty()) return clear(at, reading);
        if (at < 0) return set(at, QStringLiteral("TEL"), newHead, {}, Escaped(now[field], v21_));
        const VCardProperty& p = property(at);
        const bool uri = p.valueType == u"URI" || (p.valueType.isEmpty() && version.startsWith(u'4'));
        const auto isTelUri = [](const QString& text) {
            return text.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive);
        };
        QByteArray head = HeadFor(s_.lines[at].logical, {});
        QString value = Escaped(now[field], v21_);
        if (uri && (isTelUri(VCardUnescape(p.value)) || isTelUri(now[field]))) {
            if (UriSafe(now[field]))
                value = QStringLiteral("tel:") + now[field];
            else
                head = HeadFor(s_.lines[at].logical, {"VALUE"}) + ";VALUE=text";
        }
        text_[at] = EncodedLine(head, value, styleAt(at));
    }

    void uid(const QString& uid) {
        if (uid.isEmpty() || first(QStringLiteral("UID")) >= 0) return;
        qsizetype after = -1;
        for (qsizetype i = 0; i < s_.lines.size(); ++i)
            if (s_.lines[i].role == Role::Begin || s_.lines[i].role == Role::Version) after = i;
        added_[after] += EncodedLine("UID", Escaped(uid, v21_), styleAt(after));
    }

    void revision() {
        const qsizetype at = first(QStringLiteral("REV"));
        if (at < 0) return;
        const QString format = s_.version.startsWith(u'3') ? QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")
                                                           : QStringLiteral("yyyyMMdd'T'HHmmss'Z'");
        text_[at] = EncodedLine(HeadFor(s_.lines[at].logical, {}), QDateTime::currentDateTimeUtc().toString(format),
                                styleAt(at));
    }

    // A removed value's Apple label ("item1.X-ABLabel") goes with it once its group holds nothing else.
    void dropOrphanLabels() {
        QSet<QString> used;
        for (qsizetype i = 0; i < s_.lines.size(); ++i)
            if (isGrouped(i) && !property(i).name.startsWith(QStringLiteral("X-AB"))) used.insert(s_.lines[i].group);
        for (qsizetype i = 0; i < s_.lines.size(); ++i)
            if (isGrouped(i) && !used.contains(s_.lines[i].group)) removed_[i] = true;
    }

    QByteArray result() const {
        QByteArray out = s_.bom;
        for (qsizetype i = 0; i < s_.lines.size(); ++i) {
            if (!removed_[i]) out += text_[i];
            if (added_[i].isEmpty()) continue;
            // The server's last line had no end, or a carriage return alone (which the reader drops).
            if (!out.isEmpty() && !out.endsWith('\n')) out += out.endsWith('\r') ? QByteArray("\n") : s_.lineEnd;
            out += added_[i];
        }
        return out;
    }

private:
    const VCardProperty& property(qsizetype i) const { return s_.lines[i].property; }

    bool isProperty(qsizetype i, const QString& name) const {
        return s_.lines[i].role == Role::Property && property(i).name == name && !property(i).binary;
    }

    // The first line of this name (that gives a value, when a reading is given), or -1.
    qsizetype first(const QString& name, const Reading& reading = {}) const {
        for (qsizetype i = 0; i < s_.lines.size(); ++i)
            if (isProperty(i, name) && (!reading || !reading(property(i)).isEmpty())) return i;
        return -1;
    }

    qsizetype last(const QString& name) const {
        for (qsizetype i = s_.lines.size() - 1; i >= 0; --i)
            if (isProperty(i, name)) return i;
        return -1;
    }

    // A line still there in a group that lost a line.
    bool isGrouped(qsizetype i) const {
        return s_.lines[i].role == Role::Property && !removed_[i] && emptiedGroups_.contains(s_.lines[i].group);
    }

    LineStyle styleAt(qsizetype i) const { return {v21_, s_.lines[i].keepsFoldBlank, s_.lineEnd}; }

    // The line at 'at' takes 'value'; with none there (-1) a new line goes after the last of its name, or at
    // the end of the card.
    void set(qsizetype at, const QString& name, const QByteArray& newHead, const QList<QByteArray>& dropped,
             const QString& value) {
        if (at >= 0) {
            text_[at] = EncodedLine(HeadFor(s_.lines[at].logical, dropped), value, styleAt(at));
        } else {
            const qsizetype after = anchorFor(name);
            added_[after] += EncodedLine(newHead, value, styleAt(after));
        }
    }

    // A field emptied: its line goes, and so do later copies that would give the card the same value again.
    // Other values for the field stay: the phone knows them, the card never showed them.
    void clear(qsizetype at, const Reading& reading) {
        if (at < 0) return;
        const QString value = reading(property(at));
        for (qsizetype i = at + 1; i < s_.lines.size(); ++i)
            if (isProperty(i, property(at).name) && !removed_[i] && reading(property(i)) == value) remove(i);
        remove(at);
    }

    void remove(qsizetype at) {
        removed_[at] = true;
        if (!s_.lines[at].group.isEmpty()) emptiedGroups_.insert(s_.lines[at].group);
    }

    qsizetype anchorFor(const QString& name) const {
        qsizetype sameName = -1, end = -1, lastOwn = 0;
        for (qsizetype i = 0; i < s_.lines.size(); ++i) {
            const Role role = s_.lines[i].role;
            if (isProperty(i, name)) sameName = i;
            if (role == Role::End) end = i;
            if (role == Role::Begin || role == Role::Version || role == Role::Property) lastOwn = i;
        }
        if (sameName >= 0) return sameName;
        return end > 0 ? end - 1 : lastOwn;  // a card not ended: after its own last line, not in a nested one
    }

    const ServerLines& s_;
    bool v21_;
    QList<QByteArray> text_;
    QList<bool> removed_;
    QSet<QString> emptiedGroups_;
    QList<QByteArray> added_;
};

QByteArray Patched(const ServerLines& server, const Card& was, const Card& now, const QString& uid, bool forceNames) {
    Patcher p(server);
    p.names(was, now, forceNames);
    p.text(store::Title, QStringLiteral("TITLE"), "TITLE", was, now);
    p.company(was, now);
    p.address(was, now);
    const bool v21 = server.version.startsWith(u'2'), v4 = server.version.startsWith(u'4');
    const auto styled = [&](const char* in21, const char* in30, const char* in40) {
        return QByteArray(v21 ? in21 : v4 ? in40 : in30);
    };
    p.phone(store::Phone1, styled("TEL;WORK;VOICE", "TEL;TYPE=WORK,VOICE", "TEL;VALUE=text;TYPE=work,voice"), was, now);
    p.phone(store::Phone2, styled("TEL;HOME;VOICE", "TEL;TYPE=HOME,VOICE", "TEL;VALUE=text;TYPE=home,voice"), was, now);
    p.phone(store::Fax, styled("TEL;WORK;FAX", "TEL;TYPE=WORK,FAX", "TEL;VALUE=text;TYPE=work,fax"), was, now);
    p.text(store::EMail, QStringLiteral("EMAIL"), styled("EMAIL;INTERNET", "EMAIL;TYPE=INTERNET", "EMAIL"), was, now);
    p.text(store::Notes, QStringLiteral("NOTE"), "NOTE", was, now);
    p.uid(uid);
    p.revision();
    p.dropOrphanLabels();
    return p.result();
}

}  // namespace

Card CardFromServerVCard(const QByteArray& vcard) {
    store::VCardCards counts;
    return store::CardFromVCard(store::ParseVCards(vcard, 1).value(0), counts, store::VCardExtras::LeftOut);
}

QString VCardUid(const QByteArray& vcard) {
    for (const VCardProperty& p : store::ParseVCards(vcard, 1).value(0).properties)
        if (p.name == u"UID" && !p.binary) return VCardUnescape(p.value);
    return QString();
}

QByteArray NewServerVCard(const Card& card, const QString& uid) {
    QByteArray text = store::VCardText(card, store::VCardVersion::V3);
    if (uid.isEmpty()) return text;
    const QByteArray version = "VERSION:3.0\r\n";
    return text.insert(text.indexOf(version) + version.size(),
                       store::FoldVCardLine("UID:" + Escaped(uid, false).toUtf8()));
}

QByteArray PatchServerVCard(const QByteArray& serverVCard, const Card& was, const Card& now, const QString& uid) {
    if (was == now) return serverVCard;
    const ServerLines server = SplitServerVCard(serverVCard);
    if (std::none_of(server.lines.begin(), server.lines.end(),
                     [](const ContentLine& line) { return line.role == Role::Begin; }))
        return NewServerVCard(now, uid);
    QByteArray patched = Patched(server, was, now, uid, false);
    // The names may come from FN, which the company can disturb: then N and FN are both written.
    const Card read = CardFromServerVCard(patched);
    if (read.salutation() != now.salutation() || read.firstName() != now.firstName() ||
        read.lastName() != now.lastName())
        patched = Patched(server, was, now, uid, true);
    return patched;
}

}  // namespace tessaly::sync

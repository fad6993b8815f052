#include "vcard_writer.h"

#include "cards/export_file.h"
#include "profile/profile_access.h"

#include <QStringList>

namespace tessaly::store {

namespace {

constexpr qsizetype kFoldOctets = 75;

// Escapes what would end a value or split a structured one; every line break becomes \n.
QString Escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        if (c == u'\r' || c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\\' || c == u',' || c == u';')
            out += u'\\', out += c;
        else
            out += c;
    }
    return out;
}

QString Structured(const QStringList& components) {
    QStringList escaped;
    for (const QString& c : components) escaped << Escaped(c);
    return escaped.join(u';');
}

QString FormattedName(const Card& c) {
    const QString name = (c.firstName() + u' ' + c.lastName()).trimmed();
    return name.isEmpty() ? c.company() : name;
}

// Street lines up to the last filled one, so that an empty line between two keeps its place.
QString StreetLines(const Card& c) {
    QStringList lines = {c.addressLine(1), c.addressLine(2), c.addressLine(3)};
    while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines.join(u'\n');
}

// Address4 holds the city and the region joined with ", ": they go back to
// their own components, split at the last ", " when both sides hold text (the
// reader joins them again, so the card reads back the same).
std::pair<QString, QString> LocalityAndRegion(const QString& line) {
    const qsizetype at = line.lastIndexOf(QStringLiteral(", "));
    if (at <= 0 || at + 2 >= line.size()) return {line, QString()};
    return {line.left(at), line.mid(at + 2)};
}

class VCardLines {
public:
    void add(const QString& head, const QString& value) { text_ += FoldVCardLine((head + u':' + value).toUtf8()); }
    void addText(const QString& head, const QString& value) {
        if (!value.isEmpty()) add(head, Escaped(value));
    }
    QByteArray text() const { return text_; }

private:
    QByteArray text_;
};

}  // namespace

QByteArray FoldVCardLine(const QByteArray& line) {
    QByteArray out;
    out.reserve(line.size() + line.size() / 37 + 2);
    qsizetype start = 0, room = kFoldOctets;
    while (line.size() - start > room) {
        qsizetype end = start + room;
        while (end > start + 1 && (uchar(line[end]) & 0xC0) == 0x80) --end;  // not inside a UTF-8 sequence
        out += line.mid(start, end - start);
        out += "\r\n ";
        start = end;
        room = kFoldOctets - 1;
    }
    out += line.mid(start);
    out += "\r\n";
    return out;
}

QByteArray VCardText(const Card& c, VCardVersion version) {
    const bool v4 = version == VCardVersion::V4;
    VCardLines lines;
    lines.add(QStringLiteral("BEGIN"), QStringLiteral("VCARD"));
    lines.add(QStringLiteral("VERSION"), v4 ? QStringLiteral("4.0") : QStringLiteral("3.0"));
    lines.add(QStringLiteral("FN"), Escaped(FormattedName(c)));
    lines.add(QStringLiteral("N"), Structured({c.lastName(), c.firstName(), QString(), c.salutation(), QString()}));
    lines.addText(QStringLiteral("TITLE"), c.title());
    if (!c.company().isEmpty()) lines.add(QStringLiteral("ORG"), Escaped(c.company()));
    bool hasAddress = false;
    for (int i = Address1; i <= Address6; ++i) hasAddress = hasAddress || !c[i].isEmpty();
    if (hasAddress) {
        const auto [locality, region] = LocalityAndRegion(c.addressLine(4));
        lines.add(QStringLiteral("ADR"), Structured({QString(), QString(), StreetLines(c), locality, region,
                                                     c.addressLine(5), c.addressLine(6)}));
    }
    const QString tel = v4 ? QStringLiteral("TEL;VALUE=text;TYPE=") : QStringLiteral("TEL;TYPE=");
    lines.addText(tel + (v4 ? QStringLiteral("work,voice") : QStringLiteral("WORK,VOICE")), c.phone1());
    lines.addText(tel + (v4 ? QStringLiteral("home,voice") : QStringLiteral("HOME,VOICE")), c.phone2());
    lines.addText(tel + (v4 ? QStringLiteral("work,fax") : QStringLiteral("WORK,FAX")), c.fax());
    lines.addText(v4 ? QStringLiteral("EMAIL") : QStringLiteral("EMAIL;TYPE=INTERNET"), c.email());
    lines.addText(QStringLiteral("NOTE"), c.notes());
    lines.add(QStringLiteral("END"), QStringLiteral("VCARD"));
    return lines.text();
}

void WriteVCardFile(const QString& path, const QList<Card>& cards, VCardVersion version, const QString& modeModel) {
    try {
        ExportFile file(path, modeModel);
        for (const Card& card : cards)
            if (file.write(VCardText(card, version)) < 0) break;  // commit reports the failure
        file.commit();
    } catch (const profile::WriteError& e) {
        throw ExportFailed(e.what());
    }
}

}  // namespace tessaly::store

#include "vcard_reader.h"

#include "exchange/csv/export_encoding.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <optional>

namespace tessaly::store {

namespace {

QByteArray WithoutBom(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return bytes.mid(3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto decoder = QStringDecoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return QString(decoder(bytes.mid(2))).toUtf8();
    }
    if (const std::optional<Utf16Order> order = Utf16WithoutBom(bytes))  // a webmail's export
        return DecodeIn(bytes,
                        *order == Utf16Order::LittleEndian ? QStringLiteral("UTF-16LE") : QStringLiteral("UTF-16BE"))
            .toUtf8();
    return bytes;
}

QList<QByteArray> PhysicalLines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r')) line.chop(1);
    return lines;
}

// Where the name and parameters end: the first colon outside double quotes.
qsizetype ValueColon(const QByteArray& line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

bool IsQuotedPrintable(const QByteArray& line) {
    const qsizetype colon = ValueColon(line);
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

bool StartsWith(const QByteArray& line, const char* text) {
    return line.left(qstrlen(text)).toUpper() == text;
}

// Whether a logical line's value is quoted-printable, known once its head
// (up to the colon) is complete; looked for only in what was added since the
// last look, so that a long folded line costs no more than its length.
class HeadScan {
public:
    void restart() { *this = HeadScan(); }
    bool quotedPrintable(const QByteArray& line) {
        for (; colon_ < 0 && scanned_ < line.size(); ++scanned_) {
            if (line[scanned_] == '"')
                quoted_ = !quoted_;
            else if (line[scanned_] == ':' && !quoted_)
                colon_ = scanned_, qp_ = IsQuotedPrintable(line);
        }
        return qp_;
    }

private:
    qsizetype colon_ = -1, scanned_ = 0;
    bool quoted_ = false, qp_ = false;
};

// Version 2.1 keeps the blank that starts a folded line; later versions drop it.
QList<QByteArray> LogicalLines(const QByteArray& bytes) {
    QList<QByteArray> logical;
    HeadScan head;
    bool keepFoldBlank = false;
    for (const QByteArray& line : PhysicalLines(WithoutBom(bytes))) {
        const bool folded = !line.isEmpty() && (line[0] == ' ' || line[0] == '\t');
        if (!logical.isEmpty() && logical.back().endsWith('=') && head.quotedPrintable(logical.back())) {
            logical.back().chop(1);  // a soft line break
            logical.back() += line;
        } else if (!logical.isEmpty() && folded) {
            logical.back() += keepFoldBlank ? line : line.mid(1);
        } else {
            if (StartsWith(line, "BEGIN:VCARD")) keepFoldBlank = false;
            if (StartsWith(line, "VERSION:2.1")) keepFoldBlank = true;
            logical << line;
            head.restart();
        }
    }
    return logical;
}

QByteArray DecodeQuotedPrintable(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            bool ok = false;
            const int byte = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The CHARSET named (through the import's converters), else UTF-8 when the
// bytes are valid UTF-8, else Windows-1252.
QString DecodeValue(const QByteArray& bytes, const QString& charset) {
    if (!charset.isEmpty()) {
        bool valid = false;
        QString text = DecodeIn(bytes, charset, &valid);
        if (valid) return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder cp1252("windows-1252");
    return cp1252.isValid() ? cp1252(bytes) : QString::fromLatin1(bytes);
}

QString Unquoted(QString text) {
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) return text.mid(1, text.size() - 2);
    return text;
}

// The parameters after the name, split at semicolons outside double quotes.
QList<QByteArray> ParameterTexts(const QByteArray& head) {
    QList<QByteArray> parts;
    QByteArray part;
    bool quoted = false;
    for (char c : head) {
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted)
            parts << part, part.clear();
        else
            part += c;
    }
    parts << part;
    return parts;
}

std::optional<VCardProperty> ParseProperty(const QByteArray& line) {
    const qsizetype colon = ValueColon(line);
    if (colon <= 0) return std::nullopt;
    const QList<QByteArray> head = ParameterTexts(line.left(colon));
    VCardProperty p;
    p.name = QString::fromLatin1(head.front()).trimmed().toUpper();
    p.name = p.name.mid(p.name.lastIndexOf(u'.') + 1);
    static const QRegularExpression token(QStringLiteral("^[A-Z0-9-]+$"));
    if (!token.match(p.name).hasMatch()) return std::nullopt;  // a damaged line, not a property
    QString encoding, charset;
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QString param = QString::fromUtf8(head[i]).trimmed();
        const qsizetype eq = param.indexOf(u'=');
        const QString key = eq < 0 ? QString() : param.left(eq).trimmed().toUpper();
        const QString value = Unquoted(param.mid(eq + 1).trimmed());
        if (key == u"ENCODING" || (eq < 0 && (value.toUpper() == u"QUOTED-PRINTABLE" || value.toUpper() == u"BASE64")))
            encoding = value.toUpper();
        else if (key == u"CHARSET")
            charset = value;
        else if (key == u"VALUE")
            p.valueType = value.toUpper();
        else if (key == u"TYPE" || eq < 0)
            for (const QString& t : value.split(u',', Qt::SkipEmptyParts)) p.types << Unquoted(t.trimmed()).toUpper();
    }
    QByteArray raw = line.mid(colon + 1);
    p.binary = encoding == u"B" || encoding == u"BASE64";
    if (p.binary) return p;
    if (encoding == u"QUOTED-PRINTABLE") raw = DecodeQuotedPrintable(raw);
    p.value = DecodeValue(raw, charset);
    return p;
}

// The name a nested card goes by in its parent's notes.
QString NestedName(const VCard& card) {
    QString n;
    for (const VCardProperty& p : card.properties) {
        if (p.name == u"FN") return VCardUnescape(p.value);
        if (p.name == u"N" && n.isEmpty()) n = VCardComponents(p.value).mid(0, 4).join(u' ').simplified();
    }
    return n;
}

}  // namespace

QList<VCard> ParseVCards(const QByteArray& bytes, qsizetype maxCards) {
    QList<VCard> cards;
    QList<qsizetype> open;  // the cards begun and not ended, innermost last
    for (const QByteArray& line : LogicalLines(bytes)) {
        const QByteArray upper = line.trimmed().toUpper();
        if (upper == "BEGIN:VCARD") {
            if (cards.size() > maxCards) break;
            open << cards.size();
            cards << VCard();
            continue;
        }
        if (open.isEmpty()) continue;
        VCard& card = cards[open.back()];
        if (upper == "END:VCARD") {
            open.removeLast();
            // A nested card (version 2.1's AGENT) is a card of its own; its parent keeps who it is.
            if (!open.isEmpty())
                cards[open.back()].properties
                    << VCardProperty{QStringLiteral("AGENT"), {}, {}, false, NestedName(card)};
            continue;
        }
        std::optional<VCardProperty> p = ParseProperty(line);
        if (!p) continue;
        if (p->name == u"VERSION")
            card.version = p->value.trimmed();
        else if (p->name != u"BEGIN")
            card.properties << std::move(*p);
    }
    return cards;
}

QStringList VCardComponents(const QString& value) {
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\')
            ++i;
        else if (value[i] == u';')
            parts << VCardUnescape(value.mid(start, i - start)), start = i + 1;
    }
    parts << VCardUnescape(value.mid(start));
    return parts;
}

QString VCardUnescape(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') continue;  // CR LF taken as one break
        if (c == u'\r' || c == u'\n')
            out += QStringLiteral("\r\n");
        else if (c != u'\\' || i + 1 == value.size())
            out += c;
        else if (value[i + 1] == u'\r' || value[i + 1] == u'\n')
            continue;  // an escaped line break is a line break: read as one on the next turn
        else {
            const QChar next = value[++i];
            out += (next == u'n' || next == u'N') ? QStringLiteral("\r\n") : QString(next);
        }
    }
    return out;
}

}  // namespace tessaly::store

#include "vcard_reader.h"

#include "exchange/csv/export_encoding.h"

#include <QStringDecoder>
#include <algorithm>
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

// Where the name and parameters end: the first colon outside double quotes.
qsizetype ValueColon(QByteArrayView line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

bool IsQuotedPrintable(QByteArrayView line) {
    const qsizetype colon = ValueColon(line);
    return colon > 0 && line.first(colon).toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

// Letter case ignored, without a copy of the line.
bool StartsWith(QByteArrayView line, QByteArrayView text) {
    return line.size() >= text.size() && line.first(text.size()).compare(text, Qt::CaseInsensitive) == 0;
}

// The line is the text, letter case and blanks around it ignored.
bool IsLine(QByteArrayView line, QByteArrayView text) {
    return line.trimmed().compare(text, Qt::CaseInsensitive) == 0;
}

bool IsAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// Whether a logical line's value is quoted-printable, known once its head
// (up to the colon) is complete; looked for only in what was added since the
// last look, so that a long folded line costs no more than its length.
class HeadScan {
public:
    void restart() { *this = HeadScan(); }
    bool quotedPrintable(QByteArrayView line) {
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

// The logical lines of a file's bytes, each handed on as soon as the next
// physical line shows that it is complete, through one buffer: no list of
// lines and no copy for each. Version 2.1 keeps the blank that starts a folded
// line; later versions drop it.
template <typename Take>
void ForEachLogicalLine(QByteArrayView bytes, Take take) {
    QByteArray logical;
    bool started = false, keepFoldBlank = false;
    HeadScan head;
    for (qsizetype from = 0;;) {
        const qsizetype newline = bytes.indexOf('\n', from);
        QByteArrayView line = bytes.sliced(from, (newline < 0 ? bytes.size() : newline) - from);
        if (line.endsWith('\r')) line.chop(1);
        const bool folded = !line.isEmpty() && (line[0] == ' ' || line[0] == '\t');
        if (started && logical.endsWith('=') && head.quotedPrintable(logical)) {
            logical.chop(1);  // a soft line break
            logical += line;
        } else if (started && folded) {
            logical += keepFoldBlank ? line : line.sliced(1);
        } else {
            if (StartsWith(line, "BEGIN:VCARD")) keepFoldBlank = false;
            if (StartsWith(line, "VERSION:2.1")) keepFoldBlank = true;
            if (started && !take(QByteArrayView(logical))) return;
            logical.resize(0);  // keeps the buffer
            logical += line;
            started = true;
            head.restart();
        }
        if (newline < 0) break;
        from = newline + 1;
    }
    if (started) take(QByteArrayView(logical));
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
QString DecodeValue(QByteArrayView bytes, const QString& charset) {
    if (!charset.isEmpty()) {
        bool valid = false;
        QString text = DecodeIn(bytes.toByteArray(), charset, &valid);
        if (valid) return text;
    }
    if (IsAscii(bytes)) return QString::fromLatin1(bytes);  // most values: read alike in all three
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder cp1252("windows-1252");
    return cp1252.isValid() ? cp1252(bytes) : QString::fromLatin1(bytes);
}

QStringView Unquoted(QStringView text) {
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) return text.sliced(1, text.size() - 2);
    return text;
}

QString Upper(QStringView text) {
    return text.toString().toUpper();
}

// Whether the text in upper case is the word; without a copy when the text
// is ASCII, as nearly all parameters are.
bool UpperIs(QStringView text, QLatin1StringView word) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.compare(word, Qt::CaseInsensitive) == 0;
    return Upper(text) == word;
}

// The property's name in upper case, without its group ("item1.EMAIL" is
// EMAIL); empty when it is not letters, digits and hyphens (a damaged line).
QString PropertyName(QByteArrayView head) {
    QString name = QString::fromLatin1(head).trimmed().toUpper();
    name = name.mid(name.lastIndexOf(u'.') + 1);
    const bool token = std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
    });
    return token ? name : QString();
}

struct Encoding {
    QString name, charset;
};

// One parameter of the head: ENCODING (or version 2.1's bare
// QUOTED-PRINTABLE and BASE64), CHARSET, VALUE, and TYPE or a bare type.
void TakeParameter(QByteArrayView bytes, VCardProperty& p, Encoding& encoding) {
    const QString text = QString::fromUtf8(bytes);
    const QStringView param = QStringView(text).trimmed();
    const qsizetype eq = param.indexOf(u'=');
    const QStringView key = eq < 0 ? QStringView() : param.first(eq).trimmed();
    const QStringView value = Unquoted(param.sliced(eq + 1).trimmed());
    if (UpperIs(key, QLatin1StringView("ENCODING")) ||
        (eq < 0 &&
         (UpperIs(value, QLatin1StringView("QUOTED-PRINTABLE")) || UpperIs(value, QLatin1StringView("BASE64")))))
        encoding.name = Upper(value);
    else if (UpperIs(key, QLatin1StringView("CHARSET")))
        encoding.charset = value.toString();
    else if (UpperIs(key, QLatin1StringView("VALUE")))
        p.valueType = Upper(value);
    else if (eq < 0 || UpperIs(key, QLatin1StringView("TYPE")))
        for (const QStringView t : value.tokenize(u',', Qt::SkipEmptyParts)) p.types << Upper(Unquoted(t.trimmed()));
}

std::optional<VCardProperty> ParseProperty(QByteArrayView line) {
    const qsizetype colon = ValueColon(line);
    if (colon <= 0) return std::nullopt;
    VCardProperty p;
    Encoding encoding;
    // The name, then the parameters, parted by semicolons outside double quotes.
    bool quoted = false;
    for (qsizetype from = 0, i = 0; i <= colon; ++i) {
        if (i < colon && line[i] == '"') quoted = !quoted;
        if (i < colon && (line[i] != ';' || quoted)) continue;
        const QByteArrayView part = line.sliced(from, i - from);
        if (from > 0)
            TakeParameter(part, p, encoding);
        else if ((p.name = PropertyName(part)).isEmpty())
            return std::nullopt;
        from = i + 1;
    }
    p.binary = encoding.name == u"B" || encoding.name == u"BASE64";
    if (p.binary) return p;
    const QByteArrayView raw = line.sliced(colon + 1);
    p.value = encoding.name == u"QUOTED-PRINTABLE"
                  ? DecodeValue(DecodeQuotedPrintable(raw.toByteArray()), encoding.charset)
                  : DecodeValue(raw, encoding.charset);
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
    const QByteArray text = WithoutBom(bytes);
    ForEachLogicalLine(text, [&](QByteArrayView line) {
        if (IsLine(line, "BEGIN:VCARD")) {
            if (cards.size() > maxCards) return false;
            open << cards.size();
            cards << VCard();
            return true;
        }
        if (open.isEmpty()) return true;
        VCard& card = cards[open.back()];
        if (IsLine(line, "END:VCARD")) {
            open.removeLast();
            // A nested card (version 2.1's AGENT) is a card of its own; its parent keeps who it is.
            if (!open.isEmpty())
                cards[open.back()].properties
                    << VCardProperty{QStringLiteral("AGENT"), {}, {}, false, NestedName(card)};
            return true;
        }
        std::optional<VCardProperty> p = ParseProperty(line);
        if (!p) return true;
        if (p->name == u"VERSION")
            card.version = p->value.trimmed();
        else if (p->name != u"BEGIN")
            card.properties << std::move(*p);
        return true;
    });
    return cards;
}

namespace {

// Whether the value has something to undo; a null one too, so that what comes back is never null.
bool HasEscapes(QStringView value) {
    return value.isNull() ||
           std::any_of(value.begin(), value.end(), [](QChar c) { return c == u'\\' || c == u'\r' || c == u'\n'; });
}

// Most values hold nothing to undo: a copy of them, built no character at a time.
QString Unescaped(QStringView value) {
    if (!HasEscapes(value)) return value.toString();
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

}  // namespace

QStringList VCardComponents(const QString& value) {
    QStringList parts;
    parts.reserve(value.count(u';') + 1);
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\')
            ++i;
        else if (value[i] == u';')
            parts << Unescaped(QStringView(value).sliced(start, i - start)), start = i + 1;
    }
    parts << Unescaped(QStringView(value).sliced(start));
    return parts;
}

QString VCardUnescape(const QString& value) {
    return HasEscapes(value) ? Unescaped(value) : value;
}

}  // namespace tessaly::store

#include "vcard_lines.h"

#include "exchange/csv/export_encoding.h"

#include <QStringDecoder>

namespace tessaly::sync {

namespace {

const QByteArray kUtf8Bom = "\xEF\xBB\xBF";

// The bytes the reader reads lines from: UTF-16 (marked or not) becomes UTF-8; a UTF-8 mark is set apart.
QByteArray ReaderBytes(const QByteArray& bytes, QByteArray& bom) {
    if (bytes.startsWith(kUtf8Bom)) {
        bom = kUtf8Bom;
        return bytes.mid(3);
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto decoder = QStringDecoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return QString(decoder(bytes.mid(2))).toUtf8();
    }
    if (const std::optional<store::Utf16Order> order = store::Utf16WithoutBom(bytes))
        return store::DecodeIn(bytes, *order == store::Utf16Order::LittleEndian ? QStringLiteral("UTF-16LE")
                                                                                : QStringLiteral("UTF-16BE"))
            .toUtf8();
    return bytes;
}

bool StartsWith(const QByteArray& line, const char* text) {
    return line.left(qstrlen(text)).toUpper() == text;
}

// Whether a logical line is quoted-printable, known once its head is complete; looked for only in what
// was added since the last look, so that a long line costs no more than its length.
class HeadScan {
public:
    bool quotedPrintable(const QByteArray& line) {
        for (; colon_ < 0 && scanned_ < line.size(); ++scanned_) {
            if (line[scanned_] == '"')
                quoted_ = !quoted_;
            else if (line[scanned_] == ':' && !quoted_)
                colon_ = scanned_, qp_ = colon_ > 0 && line.left(colon_).toUpper().contains("QUOTED-PRINTABLE");
        }
        return qp_;
    }

private:
    qsizetype colon_ = -1, scanned_ = 0;
    bool quoted_ = false, qp_ = false;
};

// Physical lines joined as the reader joins them: quoted-printable soft line breaks, then folds.
QList<ContentLine> LogicalLines(const QByteArray& bytes) {
    QList<ContentLine> lines;
    HeadScan head;
    bool keepFoldBlank = false;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype next = bytes.indexOf('\n', start);
        next = next < 0 ? bytes.size() : next + 1;
        const QByteArray raw = bytes.mid(start, next - start);
        QByteArray text = raw;
        if (text.endsWith('\n')) text.chop(1);
        if (text.endsWith('\r')) text.chop(1);
        start = next;
        const bool folded = !text.isEmpty() && (text[0] == ' ' || text[0] == '\t');
        if (!lines.isEmpty() && lines.back().logical.endsWith('=') && head.quotedPrintable(lines.back().logical)) {
            lines.back().logical.chop(1);
            lines.back().logical += text;
            lines.back().raw += raw;
        } else if (!lines.isEmpty() && folded) {
            lines.back().logical += keepFoldBlank ? text : text.mid(1);
            lines.back().raw += raw;
        } else {
            if (StartsWith(text, "BEGIN:VCARD")) keepFoldBlank = false;
            if (StartsWith(text, "VERSION:2.1")) keepFoldBlank = true;
            ContentLine line;
            line.raw = raw, line.logical = text, line.keepsFoldBlank = keepFoldBlank;
            lines << line;
            head = HeadScan();
        }
    }
    // The reader reads an empty last line after a final line end; it can end a soft line break.
    if (bytes.endsWith('\n') && !lines.isEmpty() && lines.back().logical.endsWith('=') &&
        head.quotedPrintable(lines.back().logical))
        lines.back().logical.chop(1);
    return lines;
}

// The name of a property line without its group, and the group, both upper case.
std::pair<QString, QString> NameAndGroup(const QByteArray& logical) {
    const qsizetype colon = ValueColon(logical);
    if (colon <= 0) return {};
    const QString name = QString::fromLatin1(HeadParts(logical.left(colon)).front()).trimmed().toUpper();
    const qsizetype dot = name.lastIndexOf(u'.');
    return {name.mid(dot + 1), dot < 0 ? QString() : name.left(dot)};
}

// A line of the first card as the reader reads it: the reader itself reads it, alone in a card of its own
// (after a byte order mark, so that no guess at its encoding is made).
void ReadLine(ContentLine& line, QString& version) {
    const auto [name, group] = NameAndGroup(line.logical);
    const QList<store::VCard> cards = store::ParseVCards(kUtf8Bom + "BEGIN:VCARD\n" + line.logical, 1);
    if (cards.size() != 1) return;
    if (name == u"VERSION") {
        line.role = ContentLine::Role::Version;
        version = cards[0].version;
    } else if (cards[0].properties.size() == 1) {
        line.role = ContentLine::Role::Property;
        line.property = cards[0].properties[0];
        line.group = group;
    }
}

}  // namespace

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

QList<QByteArray> HeadParts(const QByteArray& head) {
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

ServerLines SplitServerVCard(const QByteArray& vcard) {
    ServerLines result;
    const QByteArray bytes = ReaderBytes(vcard, result.bom);
    const qsizetype firstEnd = bytes.indexOf('\n');
    result.lineEnd = firstEnd > 0 && bytes[firstEnd - 1] == '\r' ? "\r\n" : "\n";
    if (firstEnd < 0) result.lineEnd = "\r\n";
    result.lines = LogicalLines(bytes);
    int depth = 0;
    bool firstCardDone = false;
    for (ContentLine& line : result.lines) {
        using Role = ContentLine::Role;
        const QByteArray upper = line.logical.trimmed().toUpper();
        if (firstCardDone) continue;
        if (upper == "BEGIN:VCARD") {
            line.role = depth++ == 0 ? Role::Begin : Role::Nested;
        } else if (depth == 0) {
            continue;
        } else if (upper == "END:VCARD") {
            line.role = --depth == 0 ? Role::End : Role::Nested;
            firstCardDone = depth == 0;
        } else if (depth > 1) {
            line.role = Role::Nested;
        } else {
            ReadLine(line, result.version);
        }
    }
    return result;
}

}  // namespace tessaly::sync

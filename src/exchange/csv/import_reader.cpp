#include "import_reader.h"

#include "export_encoding.h"
#include "profile/text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace tessaly::store {

namespace {

[[noreturn]] void Refuse(const QString& why) {
    throw ImportFileError(why.toStdString());
}

// Text has no NUL and few control characters other than tab, line ends and form feed.
bool LooksLikeText(const QString& text) {
    qsizetype controls = 0;
    for (const QChar c : text) {
        if (c.unicode() == 0) return false;
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f') ++controls;
    }
    return controls * 100 <= text.size();
}

void RequireLength(qsizetype length) {
    if (length > kMaxRecordChars)
        Refuse(QStringLiteral("A line of the file is longer than %1 characters, more than a card can hold.")
                   .arg(kMaxRecordChars));
}

}  // namespace

QString DecodeExport(const QByteArray& bytes, const QString& encoding) {
    if (!encoding.isEmpty() && encoding != kAutomaticEncoding) {
        if (OfferedEncoding(encoding).isEmpty())
            Refuse(QStringLiteral("Unknown encoding \"%1\"; known are %2.")
                       .arg(encoding, ExportEncodings().mid(1).join(QStringLiteral(", "))));
        return DecodeIn(bytes, OfferedEncoding(encoding));
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return decoder.decode(bytes.mid(2));
    }
    if (const std::optional<Utf16Order> order = Utf16WithoutBom(bytes))
        return DecodeIn(bytes,
                        *order == Utf16Order::LittleEndian ? QStringLiteral("UTF-16LE") : QStringLiteral("UTF-16BE"));
    if (profile::isValidUtf8(bytes)) return QString::fromUtf8(bytes);
    // Not UTF-8: the ANSI code page the older exports were written in.
    return profile::decodeBytes(bytes);
}

QByteArray ReadExportBytes(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) Refuse(QStringLiteral("%1 is a folder, not a file.").arg(path));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) Refuse(QStringLiteral("Could not read %1: %2").arg(path, f.errorString()));
    const QByteArray bytes = f.read(kMaxExportBytes + 1);
    if (f.error() != QFileDevice::NoError) Refuse(QStringLiteral("Could not read %1: %2").arg(path, f.errorString()));
    if (bytes.size() > kMaxExportBytes)
        Refuse(QStringLiteral("%1 is larger than %2 MiB; that is more than 8000 cards can hold.")
                   .arg(path)
                   .arg(kMaxExportBytes >> 20));
    return bytes;
}

QString ReadExportFile(const QString& path, const QString& encoding) {
    const QString text = DecodeExport(ReadExportBytes(path), encoding);
    if (text.trimmed().isEmpty()) Refuse(QStringLiteral("%1 is empty.").arg(path));
    if (!LooksLikeText(text)) Refuse(QStringLiteral("%1 is not a text file.").arg(path));
    return text;
}

NumberedLines SplitNumberedLines(const QString& text) {
    NumberedLines out;
    qsizetype start = 0;
    int line = 1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\n' && text[i] != u'\r') continue;
        RequireLength(i - start);
        if (i > start)
            out.lines << text.mid(start, i - start), out.numbers << line;
        else if (i < text.size())
            ++out.empty;  // the end of the text is no line
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
        start = i + 1;
        ++line;
    }
    return out;
}

QStringList SplitLines(const QString& text) {
    return SplitNumberedLines(text).lines;
}

NumberedLines SplitNumberedRecords(const QString& text) {
    NumberedLines out;
    QString record;
    bool quoted = false;
    int line = 1, recordLine = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') quoted = !quoted;  // a doubled quote toggles twice
        if ((c == u'\n' || c == u'\r')) {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            ++line;
            if (quoted) {
                record += QStringLiteral("\r\n");
            } else {
                if (!record.isEmpty())
                    out.lines << record, out.numbers << recordLine;
                else
                    ++out.empty;
                record.clear();
                recordLine = line;
            }
        } else {
            record += c;
        }
        RequireLength(record.size());
    }
    if (!record.isEmpty()) out.lines << record, out.numbers << recordLine;
    return out;
}

QStringList SplitQuotedRecords(const QString& text) {
    return SplitNumberedRecords(text).lines;
}

}  // namespace tessaly::store

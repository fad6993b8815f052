#include "export_encoding.h"

#include <QScopeGuard>
#include <QStringDecoder>

#include <iconv.h>
#include <cerrno>

namespace tessaly::store {

namespace {

// Letter case, "-" and "_" ignored: "Shift_JIS", "shift-jis" and "SHIFTJIS" are one name.
QString Folded(const QString& name) {
    QString out;
    for (const QChar c : name)
        if (c != u'-' && c != u'_' && !c.isSpace()) out += c.toUpper();
    return out;
}

// The encodings Qt decodes itself; iconv does the others.
std::optional<QStringConverter::Encoding> QtEncoding(const QString& folded) {
    if (folded == u"UTF8") return QStringConverter::Utf8;
    if (folded == u"UTF16LE") return QStringConverter::Utf16LE;
    if (folded == u"UTF16BE") return QStringConverter::Utf16BE;
    if (folded == u"LATIN1" || folded == u"ISO88591") return QStringConverter::Latin1;
    return std::nullopt;
}

QString QtDecode(const QByteArray& bytes, QStringConverter::Encoding encoding, bool& valid) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    valid = !decoder.hasError();
    return text;
}

// Through UTF-8 in pieces, so that the output buffer stays small whatever the
// input; a byte iconv cannot take becomes U+FFFD and the conversion goes on.
QString IconvDecode(const QByteArray& bytes, const QString& encoding, bool& valid) {
    const iconv_t cd = iconv_open("UTF-8", encoding.toLatin1().constData());
    if (cd == iconv_t(-1)) {
        valid = false;
        return QString();
    }
    const auto closed = qScopeGuard([cd] { iconv_close(cd); });
    QByteArray utf8;
    utf8.reserve(bytes.size() + bytes.size() / 2);
    char buffer[16384];
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    valid = true;
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(cd, &in, &inLeft, &out, &outLeft);
        utf8.append(buffer, out - buffer);
        if (done != size_t(-1) || errno == E2BIG) continue;
        valid = false;  // EILSEQ, or EINVAL for a sequence cut off at the end
        utf8 += "\xEF\xBF\xBD";
        ++in, --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &out, &outLeft);  // the end of a stateful encoding's shift
    utf8.append(buffer, out - buffer);
    return QString::fromUtf8(utf8);
}

}  // namespace

const QStringList& ExportEncodings() {
    static const QStringList names = {kAutomaticEncoding,
                                      QStringLiteral("UTF-8"),
                                      QStringLiteral("UTF-16"),
                                      QStringLiteral("Windows-1252"),
                                      QStringLiteral("ISO-8859-15"),
                                      QStringLiteral("Shift_JIS"),
                                      QStringLiteral("EUC-JP"),
                                      QStringLiteral("GB18030"),
                                      QStringLiteral("Big5"),
                                      QStringLiteral("KOI8-R"),
                                      QStringLiteral("Windows-1251")};
    return names;
}

QString OfferedEncoding(const QString& name) {
    const QString folded = Folded(name);
    for (const QString& offered : ExportEncodings())
        if (Folded(offered) == folded) return offered;
    return QString();
}

std::optional<Utf16Order> Utf16WithoutBom(const QByteArray& bytes) {
    const qsizetype pairs = std::min<qsizetype>(bytes.size(), 8192) / 2;
    qsizetype nulFirst = 0, nulSecond = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        nulFirst += bytes[2 * i] == '\0';
        nulSecond += bytes[2 * i + 1] == '\0';
    }
    // A tenth of the pairs or more, on one side only: even a Japanese export
    // carries ASCII separators and line ends, while other text has no NUL at all
    // and binary data has them on both sides.
    auto clearly = [pairs](qsizetype many, qsizetype few) {
        return pairs >= 2 && many * 10 >= pairs && few * 10 <= many;
    };
    if (clearly(nulSecond, nulFirst)) return Utf16Order::LittleEndian;
    if (clearly(nulFirst, nulSecond)) return Utf16Order::BigEndian;
    return std::nullopt;
}

QString DecodeIn(const QByteArray& bytes, const QString& encoding, bool* valid) {
    bool ok = true;
    QString folded = Folded(encoding);
    QByteArray body = bytes;
    if (folded == u"UTF16" || folded == u"UCS2") {
        // Unmarked UTF-16 is big-endian by its definition, unless the bytes say otherwise.
        if (bytes.startsWith("\xFF\xFE"))
            folded = QStringLiteral("UTF16LE"), body = bytes.mid(2);
        else if (bytes.startsWith("\xFE\xFF"))
            folded = QStringLiteral("UTF16BE"), body = bytes.mid(2);
        else
            folded = Utf16WithoutBom(bytes) == Utf16Order::LittleEndian ? QStringLiteral("UTF16LE")
                                                                        : QStringLiteral("UTF16BE");
    }
    const std::optional<QStringConverter::Encoding> qt = QtEncoding(folded);
    const QString iconvName = folded == u"WINDOWS1252"   ? QStringLiteral("CP1252")
                              : folded == u"WINDOWS1251" ? QStringLiteral("CP1251")
                                                         : encoding.trimmed();
    QString text = qt ? QtDecode(body, *qt, ok) : IconvDecode(body, iconvName, ok);
    if (valid) *valid = ok;
    return text;
}

}  // namespace tessaly::store

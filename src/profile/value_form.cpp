#include "value_form.h"

#include "text_codec.h"

namespace tessaly::profile {
namespace {

bool isSpaceChar(QChar c) {
    const char16_t u = c.unicode();
    return u == ' ' || (u >= 0x09 && u <= 0x0D) || u == 0x1A;
}

bool isControlChar(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

bool hasMatchingOuterQuotes(QStringView v) {
    return v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front();
}

bool hasMatchingOuterQuotes(QByteArrayView v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

QString escaped(const QString& value) {
    QString out;
    out.reserve(value.size() + 8);
    for (QChar c : value) {
        switch (c.unicode()) {
            case '\\':
                out += u"\\\\";
                break;
            case '\r':
                out += u"\\r";
                break;
            case '\n':
                out += u"\\n";
                break;
            case '\t':
                out += u"\\t";
                break;
            default:
                if (isControlChar(c))
                    out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
                else
                    out += c;
        }
    }
    return out;
}

QByteArray unescaped(QByteArrayView body) {
    // Never longer than the escaped form: written straight into a buffer of its size.
    QByteArray out(body.size(), Qt::Uninitialized);
    char* to = out.data();
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c != '\\' || i + 1 >= body.size()) {
            *to++ = c;
            continue;
        }
        const char e = body[++i];
        switch (e) {
            case '\\':
                *to++ = '\\';
                break;
            case 'r':
                *to++ = '\r';
                break;
            case 'n':
                *to++ = '\n';
                break;
            case 't':
                *to++ = '\t';
                break;
            case 'x':
                if (i + 2 < body.size() && hexDigit(body[i + 1]) >= 0 && hexDigit(body[i + 2]) >= 0) {
                    *to++ = static_cast<char>(hexDigit(body[i + 1]) * 16 + hexDigit(body[i + 2]));
                    i += 2;
                    break;
                }
                [[fallthrough]];
            default:  // not one of ours: keep it as it stands
                *to++ = '\\';
                *to++ = e;
        }
    }
    out.truncate(to - out.constData());
    return out;
}

}  // namespace

QByteArrayView trimmedView(QByteArrayView bytes) {
    qsizetype begin = 0, end = bytes.size();
    while (begin < end && isProfileSpace(bytes[begin])) ++begin;
    while (end > begin && isProfileSpace(bytes[end - 1])) --end;
    return bytes.sliced(begin, end - begin);
}

namespace {

// Begins the body of our escaped form; another program's quoted value hardly
// starts with it.
constexpr QByteArrayView kEscapedMarker("\\~");

// What earlier versions of this program wrote for multi-line values: a quoted
// body of nothing but our escapes, holding an escaped line break. A Windows
// path ("C:\new\table", "\\server\new") is read as the Windows routines read it.
bool isEarlierEscapedForm(QByteArrayView body) {
    if (body.startsWith("\\\\") || body.contains(":\\")) return false;
    bool lineBreak = false;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] != '\\') continue;
        if (i + 1 >= body.size()) return false;
        const char e = body[++i];
        if (e == 'r' || e == 'n')
            lineBreak = true;
        else if (e == 'x') {
            if (i + 2 >= body.size() || hexDigit(body[i + 1]) < 0 || hexDigit(body[i + 2]) < 0) return false;
            i += 2;
        } else if (e != '\\' && e != 't')
            return false;
    }
    return lineBreak;
}

}  // namespace

// Every link, count and most names: these skip the check in storedValue, which
// reads the form back.
bool storedAsItIs(QStringView value) {
    if (value.isEmpty()) return true;
    for (QChar c : value)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    return value.front() != u' ' && value.back() != u' ' && value.front() != u'"' && value.front() != u'\'';
}

QByteArray storedValue(const QString& value, bool forceUtf8) {
    if (storedAsItIs(value)) return value.toLatin1();
    bool control = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const bool innerTab = c == u'\t' && i > 0 && i + 1 < value.size();
        if (isControlChar(c) && !innerTab) control = true;
    }
    if (!control) {
        const bool needsQuotes = !value.isEmpty() && (isSpaceChar(value.front()) || isSpaceChar(value.back()) ||
                                                      hasMatchingOuterQuotes(value));
        const QByteArray plain = encodeText(needsQuotes ? u'"' + value + u'"' : value, forceUtf8);
        // Rare values would read as one of our escaped forms: those take it.
        if (readValue(plain) == value) return plain;
    }
    return encodeText(u'"' + QString::fromLatin1(kEscapedMarker) + escaped(value) + u'"', forceUtf8);
}

QString readValue(QByteArrayView raw) {
    const QByteArrayView v = trimmedView(raw);
    if (hasMatchingOuterQuotes(v)) {
        const QByteArrayView body = v.sliced(1, v.size() - 2);
        if (v.front() == '"' && body.startsWith(kEscapedMarker))
            return decodeBytes(unescaped(body.sliced(kEscapedMarker.size())));
        if (v.front() == '"' && isEarlierEscapedForm(body)) return decodeBytes(unescaped(body));
        return decodeBytes(body);
    }
    return decodeBytes(v);
}

QStringView readValue(QByteArrayView raw, ValueScratch& scratch) {
    const QByteArrayView v = trimmedView(raw);
    if (!hasMatchingOuterQuotes(v)) {  // plain ASCII, nearly every value: widened as it is
        if (scratch.size() < v.size()) scratch.resize(v.size());
        if (widenAscii(v, scratch.data()) == v.size()) return QStringView(scratch.constData(), v.size());
    }
    const QString text = readValue(raw);
    if (scratch.size() < text.size()) scratch.resize(text.size());
    std::copy(text.utf16(), text.utf16() + text.size(), scratch.data());
    return QStringView(scratch.constData(), text.size());
}

}  // namespace tessaly::profile

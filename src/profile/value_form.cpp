#include "value_form.h"

#include "text_codec.h"

namespace tessaly::profile {
namespace {

bool isSpaceChar(QChar c) {
    const char16_t u = c.unicode();
    return u == ' ' || (u >= 0x09 && u <= 0x0D) || u == 0x1A;
}

bool isControlChar(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }

bool hasMatchingOuterQuotes(QStringView v) {
    return v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front();
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
            case '\\': out += u"\\\\"; break;
            case '\r': out += u"\\r"; break;
            case '\n': out += u"\\n"; break;
            case '\t': out += u"\\t"; break;
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
    QByteArray out;
    out.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c != '\\' || i + 1 >= body.size()) {
            out += c;
            continue;
        }
        const char e = body[++i];
        switch (e) {
            case '\\': out += '\\'; break;
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'x':
                if (i + 2 < body.size() && hexDigit(body[i + 1]) >= 0 && hexDigit(body[i + 2]) >= 0) {
                    out += static_cast<char>(hexDigit(body[i + 1]) * 16 + hexDigit(body[i + 2]));
                    i += 2;
                    break;
                }
                [[fallthrough]];
            default:  // not one of ours: keep it as it stands
                out += '\\';
                out += e;
        }
    }
    return out;
}

}  // namespace

bool isProfileSpace(char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }

QByteArrayView trimmedView(QByteArrayView bytes) {
    qsizetype begin = 0, end = bytes.size();
    while (begin < end && isProfileSpace(bytes[begin])) ++begin;
    while (end > begin && isProfileSpace(bytes[end - 1])) --end;
    return bytes.sliced(begin, end - begin);
}

QByteArray storedValue(const QString& value, bool forceUtf8) {
    bool control = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const bool innerTab = c == u'\t' && i > 0 && i + 1 < value.size();
        if (isControlChar(c) && !innerTab) control = true;
    }
    const bool outerSpace = !value.isEmpty() && (isSpaceChar(value.front()) || isSpaceChar(value.back()));
    const bool needsQuotes = outerSpace || hasMatchingOuterQuotes(value);
    QString form;
    if (control || (needsQuotes && value.contains(u'\\')))
        form = u'"' + escaped(value) + u'"';
    else if (needsQuotes)
        form = u'"' + value + u'"';
    else
        form = value;
    return encodeText(form, forceUtf8);
}

QString readValue(QByteArrayView raw) {
    QByteArrayView v = trimmedView(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        const QByteArrayView body = v.sliced(1, v.size() - 2);
        if (v.front() == '"' && body.contains('\\')) return decodeBytes(unescaped(body));
        return decodeBytes(body);
    }
    return decodeBytes(v);
}

}  // namespace tessaly::profile

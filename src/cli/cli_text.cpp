#include "cli_text.h"

namespace tessaly::cli {
namespace {

// Characters a terminal acts on or hides: C0 and C1 controls, DEL, format
// characters (bidirectional overrides, zero-width marks), line and paragraph
// separators, and halves of surrogate pairs that stand alone.
bool NeedsEscape(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;
    if (c >= 0xD800 && c <= 0xDFFF) return true;
    switch (QChar::category(c)) {
        case QChar::Other_Format:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return true;
        default:
            return false;
    }
}

int HexDigit(QChar c) {
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    return -1;
}

void AppendCodePoint(QString& out, char32_t c) {
    if (QChar::requiresSurrogates(c))
        out += QChar(QChar::highSurrogate(c)), out += QChar(QChar::lowSurrogate(c));
    else
        out += QChar(static_cast<char16_t>(c));
}

// "\xHH" at text[i] (the backslash): the character and the length, or length 0.
std::pair<char32_t, qsizetype> HexByte(const QString& text, qsizetype i) {
    if (i + 3 >= text.size()) return {0, 0};
    const int hi = HexDigit(text[i + 2]), lo = HexDigit(text[i + 3]);
    if (hi < 0 || lo < 0) return {0, 0};
    return {char32_t(hi * 16 + lo), 4};
}

// "\u{H...}" at text[i]: one to six hex digits naming a code point.
std::pair<char32_t, qsizetype> CodePoint(const QString& text, qsizetype i) {
    if (i + 2 >= text.size() || text[i + 2] != u'{') return {0, 0};
    char32_t value = 0;
    qsizetype j = i + 3;
    for (; j < text.size() && j - (i + 3) <= 6; ++j) {
        if (text[j] == u'}') break;
        const int d = HexDigit(text[j]);
        if (d < 0) return {0, 0};
        value = value * 16 + char32_t(d);
    }
    const qsizetype digits = j - (i + 3);
    if (j >= text.size() || text[j] != u'}' || digits < 1 || digits > 6 || value > 0x10FFFF) return {0, 0};
    return {value, j - i + 1};
}

}  // namespace

QString EscapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        char32_t c = value[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < value.size() && value[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(value[i].unicode(), value[i + 1].unicode());
            ++i;
        }
        switch (c) {
            case '\\':
                out += u"\\\\";
                continue;
            case '\n':
                out += u"\\n";
                continue;
            case '\r':
                out += u"\\r";
                continue;
            case '\t':
                out += u"\\t";
                continue;
            default:
                break;
        }
        if (!NeedsEscape(c))
            AppendCodePoint(out, c);
        else if (c <= 0xFF)
            out += QStringLiteral("\\x") + QString::number(uint(c), 16).toUpper().rightJustified(2, u'0');
        else
            out += QStringLiteral("\\u{") + QString::number(uint(c), 16).toUpper() + u'}';
    }
    return out;
}

QString UnescapeValue(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar e = text[i + 1];
        std::pair<char32_t, qsizetype> coded{0, 0};
        if (e == u'x')
            coded = HexByte(text, i);
        else if (e == u'u')
            coded = CodePoint(text, i);
        if (coded.second > 0) {
            AppendCodePoint(out, coded.first);
            i += coded.second - 1;
            continue;
        }
        ++i;
        if (e == u'n')
            out += u'\n';
        else if (e == u'r')
            out += u'\r';
        else if (e == u't')
            out += u'\t';
        else if (e == u'\\')
            out += u'\\';
        else
            out += u'\\', out += e;  // an unknown escape stands as typed
    }
    return out;
}

}  // namespace tessaly::cli

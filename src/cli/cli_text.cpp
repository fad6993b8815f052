#include "cli_text.h"

namespace tessaly::cli {

QString EscapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
            case '\\': out += u"\\\\"; break;
            case '\n': out += u"\\n"; break;
            case '\r': out += u"\\r"; break;
            case '\t': out += u"\\t"; break;
            default: out += c;
        }
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
        const QChar e = text[++i];
        if (e == u'n') out += u'\n';
        else if (e == u'r') out += u'\r';
        else if (e == u't') out += u'\t';
        else if (e == u'\\') out += u'\\';
        else out += u'\\', out += e;
    }
    return out;
}

}  // namespace tessaly::cli

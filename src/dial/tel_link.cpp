#include "tel_link.h"

#include <QByteArray>

#include <cctype>

namespace tessaly::dial {

namespace {

// Longer than any real number with its separators; a link beyond it is no number.
constexpr qsizetype kMaxNumberLength = 64;

bool IsSeparator(QChar c) {
    return c == u'-' || c == u'.' || c == u'(' || c == u')' || c == u' ';
}

// %XX as UTF-8; false for a % without two hex digits or bytes that are no UTF-8.
bool PercentDecode(const QString& text, QString* decoded) {
    const QByteArray raw = text.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            bytes += raw[i];
            continue;
        }
        bool ok = false;
        const int value = i + 2 < raw.size() ? raw.mid(i + 1, 2).toInt(&ok, 16) : 0;
        if (!ok || !std::isxdigit(static_cast<unsigned char>(raw[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(raw[i + 2])))
            return false;
        bytes += static_cast<char>(value);
        i += 2;
    }
    *decoded = QString::fromUtf8(bytes);
    return decoded->toUtf8() == bytes;
}

}  // namespace

bool IsTelLink(const QString& argument) {
    return argument.startsWith(u"tel:", Qt::CaseInsensitive);
}

TelLink ParseTelLink(const QString& link) {
    const QString shown = link.left(kMaxNumberLength + 16);
    auto refuse = [&](const QString& why) {
        return TelLink{QString(), QStringLiteral("The link \"%1\" was not dialed: %2").arg(shown, why)};
    };
    if (!IsTelLink(link)) return refuse(QStringLiteral("it is no tel: link."));
    QString subscriber = link.mid(4);
    // "tel://" is no form of the standard, but some pages write it.
    if (subscriber.startsWith(u"//")) subscriber.remove(0, 2);
    // Parameters (;ext=, ;phone-context=) are no part of what is dialed; an encoded ; is, and is refused below.
    subscriber = subscriber.section(u';', 0, 0);
    QString number;
    if (!PercentDecode(subscriber, &number)) return refuse(QStringLiteral("it holds a broken %-escape."));
    number = number.trimmed();
    if (number.isEmpty()) return refuse(QStringLiteral("it holds no number."));
    if (number.size() > kMaxNumberLength) return refuse(QStringLiteral("the number is too long."));
    bool digit = false;
    for (qsizetype i = 0; i < number.size(); ++i) {
        const QChar c = number[i];
        if (c >= u'0' && c <= u'9')
            digit = true;
        else if (c == u'+' && i == 0)
            continue;
        else if (c != u'*' && c != u'#' && !IsSeparator(c))
            return refuse(QStringLiteral("the character U+%1 has no place in a phone number.")
                              .arg(c.unicode(), 4, 16, QChar(u'0')));
    }
    if (!digit) return refuse(QStringLiteral("it holds no digits."));
    return {number, QString()};
}

}  // namespace tessaly::dial

#include "duplicate_keys.h"

#include <QHashFunctions>

#include <algorithm>

namespace tessaly::store {

namespace {

constexpr qsizetype kMinPhoneDigits = 5, kMinStrongPhoneDigits = 6;

bool IsDialString(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return QStringView(u"pPwW,;*#").contains(c); });
}

}  // namespace

QString FoldedName(const QString& name) {
    QString out;
    const bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 128; });
    const QString decomposed = ascii ? name.toLower() : name.toCaseFolded().normalized(QString::NormalizationForm_KD);
    out.reserve(decomposed.size());
    bool blank = false;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing) continue;
        if (c.isSpace()) {
            blank = !out.isEmpty();
            continue;
        }
        if (blank) out += u' ', blank = false;
        out += c;
    }
    out.replace(QStringLiteral("ae"), QStringLiteral("a"))
        .replace(QStringLiteral("oe"), QStringLiteral("o"))
        .replace(QStringLiteral("ue"), QStringLiteral("u"));
    return out;
}

QStringList PhoneNumber::nationalForms() const {
    QStringList forms;
    if (!international) return forms;
    for (int codeLength = 1; codeLength <= 3; ++codeLength)
        if (digits.size() - codeLength >= kMinPhoneDigits) forms << digits.mid(codeLength);
    return forms;
}

PhoneNumber NormalisedPhone(const QString& text) {
    const QString trimmed = text.trimmed();
    PhoneNumber number;
    number.international = trimmed.startsWith(u'+');
    QString digits;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (QStringView(trimmed).mid(i, 3) == u"(0)" && !digits.isEmpty())
            i += 2;  // +49 (0)30: the trunk 0 written beside the country code
        else if (trimmed[i].isDigit() && trimmed[i].unicode() < 128)
            digits += trimmed[i];
    }
    if (!number.international && digits.startsWith(QStringLiteral("00")))
        number.international = true, digits.remove(0, 2);
    else if (!number.international && digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.size() >= kMinPhoneDigits) number.digits = digits;
    number.weak = digits.size() < kMinStrongPhoneDigits || IsDialString(trimmed);
    return number;
}

QString NameKey(const Card& card) {
    if (card.firstName() == u"NULL NAME" && card.lastName().isEmpty() && card.company().isEmpty()) return QString();
    const QString name = FoldedName(card.firstName() + u' ' + card.lastName());
    if (!name.isEmpty()) return QStringLiteral("n:") + name;
    const QString company = FoldedName(card.company());
    return company.isEmpty() ? QString() : QStringLiteral("c:") + company;
}

QString ContentKey(const Card& card) {
    // Two independent 64-bit hashes of the trimmed fields, one after the other:
    // short keys, so that indexing every card's content costs little.
    size_t first = 0x9E3779B97F4A7C15u, second = 0xC2B2AE3D27D4EB4Fu;
    bool empty = true;
    for (int i = 0; i < kFieldCount; ++i) {
        const QStringView field = QStringView(card[i]).trimmed();
        if (!(i == FirstName && field == u"NULL NAME"))
            empty = empty && field.isEmpty();  // the import's name for a card without one
        first = qHash(field, first) + 0x1F;
        second = qHash(field, second ^ 0x5851F42D4C957F2Du) + 0x1F;
    }
    return empty ? QString() : QString::number(first, 16) + u':' + QString::number(second, 16);
}

}  // namespace tessaly::store

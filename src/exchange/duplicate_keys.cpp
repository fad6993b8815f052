#include "duplicate_keys.h"

#include <QHashFunctions>
#include <QStringBuilder>

#include <algorithm>
#include <string_view>

namespace tessaly::store {

namespace {

constexpr qsizetype kMinPhoneDigits = 5, kMinStrongPhoneDigits = 6;

bool IsDialString(QStringView text) {
    constexpr std::u16string_view marks = u"pPwW,;*#";
    return std::any_of(text.begin(), text.end(), [&](QChar c) { return marks.find(c.unicode()) != marks.npos; });
}

}  // namespace

QString FoldedName(const QString& name) {
    const bool ascii = std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 128; });
    const QString decomposed = ascii ? name.toLower() : name.toCaseFolded().normalized(QString::NormalizationForm_KD);
    // Written into one text of the name's length: every card's name is folded for the duplicate check.
    QString out(decomposed.size(), Qt::Uninitialized);
    QChar* const first = out.data();
    QChar* end = first;
    bool blank = false;
    for (const QChar c : decomposed) {
        if (!ascii && c.category() == QChar::Mark_NonSpacing) continue;
        if (c.isSpace()) {
            blank = end != first;
            continue;
        }
        if (blank) *end++ = u' ', blank = false;
        *end++ = c;
    }
    out.truncate(end - first);
    out.replace(QStringLiteral("ae"), QStringLiteral("a"))
        .replace(QStringLiteral("oe"), QStringLiteral("o"))
        .replace(QStringLiteral("ue"), QStringLiteral("u"));
    return out;
}

QStringList PhoneNumber::nationalForms() const {
    QStringList forms;
    if (!international) return forms;
    forms.reserve(3);
    for (int codeLength = 1; codeLength <= 3; ++codeLength)
        if (digits.size() - codeLength >= kMinPhoneDigits) forms << digits.mid(codeLength);
    return forms;
}

// Every card's numbers are read for the duplicate check: the digits are
// written into one text of the number's length, no character appended at a time.
PhoneNumber NormalisedPhone(const QString& text) {
    const QStringView trimmed = QStringView(text).trimmed();
    PhoneNumber number;
    number.international = trimmed.startsWith(u'+');
    QString digits(trimmed.size(), Qt::Uninitialized);
    QChar* const first = digits.data();
    QChar* end = first;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (end != first && trimmed[i] == u'(' && trimmed.sliced(i).startsWith(u"(0)"))
            i += 2;  // +49 (0)30: the trunk 0 written beside the country code
        else if (trimmed[i] >= u'0' && trimmed[i] <= u'9')
            *end++ = trimmed[i];
    }
    qsizetype from = 0;
    if (!number.international && end - first >= 2 && first[0] == u'0' && first[1] == u'0')
        number.international = true, from = 2;
    else if (!number.international && end != first && first[0] == u'0')
        from = 1;
    const qsizetype count = end - first - from;
    if (count >= kMinPhoneDigits) {
        digits.truncate(end - first);
        number.digits = digits.remove(0, from);
    }
    number.weak = count < kMinStrongPhoneDigits || IsDialString(trimmed);
    return number;
}

QString NameKey(const Card& card) {
    if (card.firstName() == u"NULL NAME" && card.lastName().isEmpty() && card.company().isEmpty()) return QString();
    const QString name = FoldedName(card.firstName() % u' ' % card.lastName());
    if (!name.isEmpty()) return u"n:" % name;
    const QString company = FoldedName(card.company());
    return company.isEmpty() ? QString() : u"c:" % company;
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
    return empty ? QString() : QString::number(first, 16) % u':' % QString::number(second, 16);
}

}  // namespace tessaly::store

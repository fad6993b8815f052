#include "display_text.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <numeric>

namespace tessaly::store {
namespace {

QString NamesOnly(const QString& first, const QString& last) {
    if (first.isEmpty()) return last;
    if (last.isEmpty()) return first;
    return last + QStringLiteral(", ") + first;
}

void TrimAll(QString& first, QString& last, QString& company) {
    first = TrimBlanks(first);
    last = TrimBlanks(last);
    company = TrimBlanks(company);
}

QString Parenthesised(const QString& company) {
    return QStringLiteral("( ") + company + QStringLiteral(" )");
}

}  // namespace

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ') ++begin;
    while (end > begin && text[end - 1] == u' ') --end;
    return (begin == 0 && end == text.size()) ? text : text.mid(begin, end - begin);
}

QString NameText(QString& first, QString& last, QString& company) {
    TrimAll(first, last, company);
    if (first.isEmpty() && last.isEmpty()) return Parenthesised(company);
    return NamesOnly(first, last);
}

QString CompanyText(QString& first, QString& last, QString& company) {
    TrimAll(first, last, company);
    if (!company.isEmpty()) return Parenthesised(company);
    return NamesOnly(first, last);
}

namespace {
const QCollator& Collator() {
    static const QCollator collator = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// The C locale's order, which this file compares partly itself.
bool IsPlainOrder() {
    static const bool plain = Collator().locale().language() == QLocale::C;
    return plain;
}
}  // namespace

// In the C locale the collator compares letter by letter, folding case; most
// texts differ within an ASCII start, compared here without its per-letter
// table look-ups, and the collator compares the rest.
int CompareText(const QString& a, const QString& b) {
    if (!IsPlainOrder()) return Collator().compare(a, b);
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    // Neighbours in a list share their start: letters that are the same are passed four at a time,
    // and a pair of surrogates is never split, so the collator sees whole letters.
    for (std::uint64_t x, y; i + 4 <= common; i += 4) {
        std::memcpy(&x, a.constData() + i, sizeof x);
        std::memcpy(&y, b.constData() + i, sizeof y);
        if (x != y) break;
    }
    if (i > 0 && a[i - 1].isHighSurrogate()) --i;
    for (; i < common; ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        if ((x | y) >= 0x80) break;
        if (LowerAscii(x) != LowerAscii(y)) return LowerAscii(x) < LowerAscii(y) ? -1 : 1;
    }
    return Collator().compare(QStringView(a).sliced(i), QStringView(b).sliced(i));
}

bool IsInOrder(const QStringList& texts) {
    for (qsizetype j = 0; j + 1 < texts.size(); ++j)
        if (CompareText(texts[j], texts[j + 1]) > 0) return false;
    return true;
}

namespace {

// A text's first sixteen letters folded to small ASCII letters, a byte each
// from the highest of 'high' on, and how many of them there are: up to the
// first that is not ASCII, or a NUL, or the end of the text.
struct LeadLetters {
    std::uint64_t high = 0, low = 0;
    int count = 0;
    bool whole = false;  // the letters are the whole text
    explicit LeadLetters(const QString& text) {
        for (; count < 16 && count < text.size(); ++count) {
            const char16_t c = text[count].unicode();
            if (c == 0 || c >= 0x80) break;
            (count < 8 ? high : low) |= std::uint64_t(LowerAscii(c)) << (8 * (7 - count % 8));
        }
        whole = count == text.size();
    }
    // Where the letters of two texts first differ, 16 when they do not.
    int differsAt(const LeadLetters& other) const {
        if (high != other.high) return std::countl_zero(high ^ other.high) / 8;
        if (low != other.low) return 8 + std::countl_zero(low ^ other.low) / 8;
        return 16;
    }
    bool operator<(const LeadLetters& other) const { return high != other.high ? high < other.high : low < other.low; }
};

}  // namespace

// Sort keys would be cheaper, but in the C locale they do not ignore case as
// compare() does; the comparison itself is the one the lists are ordered by.
std::vector<qsizetype> StableOrder(const QStringList& texts) {
    std::vector<qsizetype> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    if (!IsPlainOrder()) {
        std::stable_sort(order.begin(), order.end(),
                         [&](qsizetype a, qsizetype b) { return CompareText(texts[a], texts[b]) < 0; });
        return order;
    }
    // In the C locale CompareText decides by the first ASCII letters that differ
    // after folding: when those lie within both texts' first sixteen, two
    // numbers for each, kept side by side, say what it would say.
    std::vector<LeadLetters> leads;
    leads.reserve(texts.size());
    for (const QString& text : texts) leads.emplace_back(text);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const LeadLetters &x = leads[std::size_t(a)], &y = leads[std::size_t(b)];
        const int differsAt = x.differsAt(y);
        if (differsAt < std::min(x.count, y.count)) return x < y;
        if (differsAt == 16 && x.whole && y.whole && x.count == y.count) return false;  // the same but for case
        return CompareText(texts[a], texts[b]) < 0;
    });
    return order;
}

}  // namespace tessaly::store

#include "copy_text.h"

namespace tessaly::store {

namespace {

constexpr QChar kLineEnd = u'\r';
constexpr int kFirstAddressLabel = 3, kLastAddressLabel = 7, kPhone1Label = 8;

// The prefixes of labels 8 to 11 in label order.
std::array<const QString*, 4> Prefixes(const PrefixSettings& p) {
    return {&p.Phone1Prefix, &p.Phone2Prefix, &p.FaxPrefix, &p.EMailPrefix};
}

void AppendLine(QString& text, const QString& line) {
    text += line;
    text += kLineEnd;
}

}  // namespace

QString PrefixSeparator(int prefixSprt) {
    switch (prefixSprt) {
        case 0:
            return QStringLiteral("\t");
        case 1:
            return QStringLiteral(" ");
        case 2:
            return QStringLiteral(":");
        case 3:
            return QStringLiteral(": ");
    }
    return QString();
}

QString CopySelectedText(const DetailLabelTexts& labels, const CopyBoxes& ticked, const PrefixSettings& prefixes) {
    QString text;
    for (int box = 0; box < 3; ++box)
        if (ticked[box]) AppendLine(text, labels[box]);
    if (ticked[3]) {
        for (int i = kFirstAddressLabel; i <= kLastAddressLabel; ++i)
            if (!labels[i].isEmpty()) AppendLine(text, labels[i]);
    }
    const QString separator = PrefixSeparator(prefixes.PrefixSprt);
    const auto prefix = Prefixes(prefixes);
    for (int k = 0; k < 4; ++k) {
        if (!ticked[4 + k]) continue;
        const QString& label = labels[kPhone1Label + k];
        AppendLine(text, prefixes.UsePrefix ? *prefix[k] + separator + label : label);
    }
    return text;
}

QString CopyAllText(const DetailLabelTexts& labels, const PrefixSettings& prefixes) {
    QString text;
    const QString separator = PrefixSeparator(prefixes.PrefixSprt);
    const auto prefix = Prefixes(prefixes);
    for (int i = 0; i < kDetailLabelCount; ++i) {
        if (labels[i].isEmpty()) continue;
        const bool prefixed = prefixes.UsePrefix && i >= kPhone1Label && i < kPhone1Label + 4;
        AppendLine(text, prefixed ? *prefix[i - kPhone1Label] + separator + labels[i] : labels[i]);
    }
    return text;
}

QString CopyLabelText(const DetailLabelTexts& labels, int index) {
    if (index < 0 || index >= kDetailLabelCount) return QString();
    if (index < kFirstAddressLabel || index > kLastAddressLabel) return labels[index];
    QString text = labels[kFirstAddressLabel];
    for (int i = kFirstAddressLabel + 1; i <= kLastAddressLabel; ++i) text += kLineEnd + labels[i];
    return text;
}

}  // namespace tessaly::store

#pragma once
#include "card_details.h"

#include <QString>
#include <array>

namespace tessaly::store {

// How phone, fax and e-mail lines are labelled on the clipboard.
struct PrefixSettings {
    bool UsePrefix = false;
    int PrefixSprt = 0;  // 0 tab, 1 blank, 2 ":", 3 ": ", anything else none
    QString Phone1Prefix, Phone2Prefix, FaxPrefix, EMailPrefix;
};

using DetailLabelTexts = std::array<QString, kDetailLabelCount>;
// The eight copy boxes: name, title, company, address, phone 1, phone 2, fax, e-mail.
using CopyBoxes = std::array<bool, 8>;

QString PrefixSeparator(int prefixSprt);

// The clipboard texts, from the detail labels as shown. Each line ends with a
// carriage return alone, the last one included.
QString CopySelectedText(const DetailLabelTexts& labels, const CopyBoxes& ticked, const PrefixSettings& prefixes);
QString CopyAllText(const DetailLabelTexts& labels, const PrefixSettings& prefixes);
// One detail: the label's text as it is, or for labels 3 to 7 the whole
// address block, its five lines joined by carriage returns, empty ones kept.
QString CopyLabelText(const DetailLabelTexts& labels, int index);

}  // namespace tessaly::store

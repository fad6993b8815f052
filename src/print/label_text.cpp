#include "label_text.h"

#include "cards/card_details.h"

namespace tessaly::store {

QStringList LabelLines(int nameStyle, const Card& fields) {
    const auto texts = DetailTexts(nameStyle, fields);
    QString name = texts[0].simplified();
    // A style that shows only a part this card lacks (the first name alone, the
    // salutation with the last name) would leave the person off the label.
    if (name.isEmpty() || name == fields.salutation().simplified()) name = ComposeName(2, fields).simplified();
    QStringList lines;
    for (const QString& line : {name, texts[2].simplified()})
        if (!line.isEmpty()) lines << line;
    for (int i = 3; i <= 7; ++i)
        if (const QString line = texts[i].simplified(); !line.isEmpty() && line != u",") lines << line;
    return lines;
}

}  // namespace tessaly::store

#pragma once
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace tessaly::store {

// One sheet of labels; every length in points (1/72 inch), from the paper's top left corner.
struct LabelSheet {
    QString name;
    QString paper;  // "letter" or "a4"
    QSizeF page;    // the paper
    int columns = 0, rows = 0;
    QSizeF label;                 // one label
    double top = 0, left = 0;     // to the first label
    double across = 0, down = 0;  // from one label to the next

    int LabelsPerSheet() const { return columns * rows; }
    // The top left corner of label k (0-based, across first) of a sheet.
    QPointF LabelOrigin(int k) const;
};

struct LabelSheets {
    QList<LabelSheet> sheets;
    QStringList problems;  // "FILE, line N: why"; the sheet of that line is skipped
    const LabelSheet* find(const QString& name) const;
};

// Reads sheet definitions (see data/label_sheets.txt for the form); a line that
// is damaged or describes a sheet that cannot be (labels overlapping or off the
// paper) is reported and skipped.
LabelSheets ParseLabelSheets(const QString& text, const QString& source);

// The sheets that come with the program, then those of the user's file (when it
// exists); a user's sheet replaces a built-in one of the same name.
LabelSheets LoadLabelSheets(const QString& userFile);
// label_sheets.txt in the user's configuration folder for "Tessaly".
QString UserLabelSheetsFile();

}  // namespace tessaly::store

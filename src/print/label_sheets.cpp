#include "label_sheets.h"

#include "profile/app_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace tessaly::store {

namespace {

constexpr double kPointsPerInch = 72.0, kPointsPerMm = 72.0 / 25.4;
// Published sizes are rounded to a tenth of a millimetre or a thousandth of an inch.
constexpr double kSlack = 0.5;
// A user's file is a few lines; anything this large is no sheet file.
constexpr qint64 kMaxSheetFileBytes = 1024 * 1024;
constexpr int kMaxLabelsAcross = 50;

// "2.625in" or "63.5mm" in points; -1 when the text is no length.
double Length(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,4}(?:\\.\\d{1,6})?)(in|mm)$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return -1;
    return m.captured(1).toDouble() * (m.captured(2) == u"in" ? kPointsPerInch : kPointsPerMm);
}

QSizeF Paper(const QString& name) {
    if (name == u"letter") return {8.5 * kPointsPerInch, 11 * kPointsPerInch};
    if (name == u"a4") return {210 * kPointsPerMm, 297 * kPointsPerMm};
    return {};
}

// Why the line cannot be a sheet, or an empty text when it is one.
QString Read(const QStringList& f, LabelSheet& s) {
    if (f.size() != 10)
        return QStringLiteral(
                   "expected 10 fields (name paper columns rows width height top left across down), found %1")
            .arg(f.size());
    s.name = f[0];
    s.paper = f[1].toLower();
    s.page = Paper(s.paper);
    if (s.page.isEmpty()) return QStringLiteral("paper \"%1\" is neither letter nor a4").arg(f[1]);
    bool okC = false, okR = false;
    s.columns = f[2].toInt(&okC);
    s.rows = f[3].toInt(&okR);
    if (!okC || !okR || s.columns < 1 || s.rows < 1 || s.columns > kMaxLabelsAcross || s.rows > kMaxLabelsAcross)
        return QStringLiteral("columns and rows must be whole numbers from 1 to %1").arg(kMaxLabelsAcross);
    const double v[6] = {Length(f[4]), Length(f[5]), Length(f[6]), Length(f[7]), Length(f[8]), Length(f[9])};
    for (int i = 0; i < 6; ++i) {
        // Margins may be nil; a label and the steps between labels may not.
        const bool margin = i == 2 || i == 3;
        if (v[i] < 0 || (v[i] == 0 && !margin))
            return QStringLiteral("\"%1\" is not a length such as 2.625in or 63.5mm").arg(f[4 + i]);
    }
    s.label = {v[0], v[1]};
    s.top = v[2], s.left = v[3], s.across = v[4], s.down = v[5];
    if (s.columns > 1 && s.across + kSlack < s.label.width())
        return QStringLiteral("labels overlap: across is less than the label's width");
    if (s.rows > 1 && s.down + kSlack < s.label.height())
        return QStringLiteral("labels overlap: down is less than the label's height");
    const double right = s.left + (s.columns - 1) * s.across + s.label.width();
    const double bottom = s.top + (s.rows - 1) * s.down + s.label.height();
    if (right > s.page.width() + kSlack)
        return QStringLiteral("the labels reach %1 mm across a page %2 mm wide")
            .arg(right / kPointsPerMm, 0, 'f', 1)
            .arg(s.page.width() / kPointsPerMm, 0, 'f', 1);
    if (bottom > s.page.height() + kSlack)
        return QStringLiteral("the labels reach %1 mm down a page %2 mm high")
            .arg(bottom / kPointsPerMm, 0, 'f', 1)
            .arg(s.page.height() / kPointsPerMm, 0, 'f', 1);
    return {};
}

void Merge(LabelSheets& into, const LabelSheets& from) {
    into.problems += from.problems;
    for (const LabelSheet& s : from.sheets) {
        auto same = std::find_if(into.sheets.begin(), into.sheets.end(),
                                 [&](const LabelSheet& t) { return t.name.compare(s.name, Qt::CaseInsensitive) == 0; });
        if (same != into.sheets.end())
            *same = s;
        else
            into.sheets << s;
    }
}

}  // namespace

QPointF LabelSheet::LabelOrigin(int k) const {
    return {left + (k % columns) * across, top + (k / columns) * down};
}

const LabelSheet* LabelSheets::find(const QString& name) const {
    for (const LabelSheet& s : sheets)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

LabelSheets ParseLabelSheets(const QString& text, const QString& source) {
    LabelSheets result;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        LabelSheet sheet;
        const QString why = Read(line.split(QRegularExpression(QStringLiteral("\\s+"))), sheet);
        if (!why.isEmpty())
            result.problems << QStringLiteral("%1, line %2: %3").arg(source).arg(i + 1).arg(why);
        else if (result.find(sheet.name))
            result.problems
                << QStringLiteral("%1, line %2: sheet \"%3\" is defined twice").arg(source).arg(i + 1).arg(sheet.name);
        else
            result.sheets << sheet;
    }
    return result;
}

LabelSheets LoadLabelSheets(const QString& userFile) {
    QFile builtIn(QStringLiteral(":/tessaly/label_sheets.txt"));
    LabelSheets sheets;
    if (builtIn.open(QIODevice::ReadOnly))
        sheets = ParseLabelSheets(QString::fromUtf8(builtIn.readAll()), QStringLiteral("built-in sheets"));
    if (userFile.isEmpty() || !QFileInfo::exists(userFile)) return sheets;
    QFile user(userFile);
    if (QFileInfo(userFile).size() > kMaxSheetFileBytes)
        sheets.problems << QStringLiteral("%1: too large for a sheet file, not read").arg(userFile);
    else if (!user.open(QIODevice::ReadOnly))
        sheets.problems << QStringLiteral("%1: %2").arg(userFile, user.errorString());
    else
        Merge(sheets, ParseLabelSheets(QString::fromUtf8(user.readAll()), userFile));
    return sheets;
}

QString UserLabelSheetsFile() {
    return QFileInfo(PreferencesFile()).absolutePath() + QStringLiteral("/label_sheets.txt");
}

}  // namespace tessaly::store

// The controls of the main window, at their places in twips.
#include "detail_label.h"
#include "main_dialog.h"

#include "shell/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace tessaly::mainwin {

using shell::SetTwipsGeometry;

namespace {

const char* const kTag = "tag";

// The row captions keep the width the layout gives them: where this platform's
// font is wider than the one the layout was drawn for, they take a narrower
// face of it, so that no caption runs into the detail beside it.
void NarrowCaptionsToFit(const std::array<QCheckBox*, 8>& boxes, QLabel* notes) {
    QFont font = boxes[0]->font();
    for (int stretch = 100; stretch >= 70; stretch -= 6) {
        font.setStretch(stretch);
        for (QCheckBox* box : boxes) box->setFont(font);
        if (std::all_of(boxes.begin(), boxes.end(),
                        [](QCheckBox* box) { return box->sizeHint().width() <= box->width(); }))
            break;
    }
    notes->setFont(font);
}

template <typename W>
W* Named(W* widget, const QString& name, const QString& tag = QString()) {
    widget->setObjectName(name);
    if (!tag.isEmpty()) widget->setProperty(kTag, tag);
    return widget;
}

}  // namespace

void MainDialog::BuildControls() {
    setObjectName(QStringLiteral("MainDialog"));
    // The layout in twips was drawn for a small sans-serif font.
    QFont font = this->font();
    font.setPixelSize(shell::ToPixels(165));
    setFont(font);
    setMouseTracking(true);
    shell::SetTwipsClientSize(this, 8895, 6525);
    BuildDetails();
    BuildFind();
    BuildButtons();

    NoticeBand = Named(new QWidget(this), QStringLiteral("NoticeBand"));
    SetTwipsGeometry(NoticeBand, 120, 5400, 8655, 795);
    NoticeLabel =
        Named(new QLabel(QStringLiteral("Tessaly 2.0 for Linux - a card file of people and companies"), NoticeBand),
              QStringLiteral("NoticeLabel"));
    SetTwipsGeometry(NoticeLabel, 3180, 180, 2595, 285);
    NoticeLabel->setMouseTracking(true);

    StatBar = new StatusBar(this);
    StatBar->raise();
    // Tab follows the reading order: the details, the list, the buttons down the right, then the find row.
    QList<QWidget*> order(ChkCopy.begin(), ChkCopy.end());
    order << LstNames << BtnCopy << BtnFilter << BtnDial << BtnEdit << BtnNew << BtnDelete << BtnExchange << BtnSetup
          << BtnAbout << BtnExit << TxtFind << BtnFind << CboSrchIn;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    SearchResultTimer = Named(new QTimer(this), QStringLiteral("SearchResultTimer"));
    SearchResultTimer->setInterval(2000);
}

void MainDialog::BuildDetails() {
    DetailsFrame = Named(new QGroupBox(QStringLiteral(" Details to copy "), this), QStringLiteral("DetailsFrame"));
    SetTwipsGeometry(DetailsFrame, 120, 120, 4700, 4455);
    shell::PutCaptionOnFrameLine(DetailsFrame);
    DetailsFrame->setMouseTracking(true);
    const QString names[] = {QStringLiteral("Name"),    QStringLiteral("Title"),  QStringLiteral("Company"),
                             QStringLiteral("Address"), QStringLiteral("Phone1"), QStringLiteral("Phone2"),
                             QStringLiteral("Fax"),     QStringLiteral("EMail")};
    // Address, Fax and E-Mail have no Alt key: every letter of theirs belongs to a button.
    const QString captions[] = {QStringLiteral("Na&me"),   QStringLiteral("&Title"),  QStringLiteral("C&ompany"),
                                QStringLiteral("Address"), QStringLiteral("Phone&1"), QStringLiteral("Phone&2"),
                                QStringLiteral("Fax"),     QStringLiteral("E-Mail")};
    const int tops[] = {300, 600, 900, 1200, 2700, 3000, 3300, 3600};
    for (int i = 0; i < 8; ++i) {
        ChkCopy[i] = Named(new QCheckBox(captions[i], DetailsFrame), QStringLiteral("ChkCopy") + names[i]);
        // Up to a blank's gap before the details: a little wider than drawn, for this platform's wider fonts.
        SetTwipsGeometry(ChkCopy[i], 240, tops[i], 990, 255);
        ChkCopy[i]->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
    }
    Notes = Named(new QLabel(QStringLiteral("Notes"), DetailsFrame), QStringLiteral("Notes"));
    SetTwipsGeometry(Notes, 480, 3900, 735, 255);
    NarrowCaptionsToFit(ChkCopy, Notes);

    const QString hints[] = {
        QStringLiteral("Click to change the style of this name. Shift+Click to copy to the Clipbaord."),
        QStringLiteral("Click to copy the Title to the Clipboard."),
        QStringLiteral("Click to copy the Company to the Clipboard."),
        QStringLiteral("Click to copy the Address to the Clipboard."),
        QStringLiteral("Click to dial to this number. Shift+Click to copy to the Clipboard."),
        QStringLiteral("Click to copy the E-Mail address to the Clipboard."),
        QStringLiteral("Click to copy the Notes to the Clipboard.")};
    for (int i = 0; i < 13; ++i) {
        const QString& hint = i <= 2 ? hints[i] : i <= 7 ? hints[3] : i <= 10 ? hints[4] : hints[i - 6];
        Label[i] = Named(new DetailLabel(i, DetailsFrame), QStringLiteral("Label(%1)").arg(i), hint);
        SetTwipsGeometry(Label[i], 1320, 330 + 300 * i, 3195, i == 12 ? 435 : 195);
        if (i < 12) shell::GiveDescendersRoom(Label[i]);
        if (i >= 8 && i <= 10) Label[i]->setCursor(Qt::PointingHandCursor);
    }
    Label[12]->setWordWrap(true);
    Label[12]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    shell::SetWholeLinesHeight(Label[12]);

    LstNames = Named(new CardListView(this), QStringLiteral("LstNames"),
                     QStringLiteral("Double-Click a name to copy details. Type name's first letter for quick search."));
    SetTwipsGeometry(LstNames, 4980, 225, 2475, 4350);
    LstNames->setUniformItemSizes(true);
    LstNames->setSelectionMode(QAbstractItemView::SingleSelection);
    LstNames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LstNames->setMouseTracking(true);
    EmptyListHint = Named(new QLabel(LstNames->viewport()), QStringLiteral("EmptyListHint"));
    EmptyListHint->setWordWrap(true);
    EmptyListHint->setAlignment(Qt::AlignCenter);
    EmptyListHint->setMargin(shell::ToPixels(90));
    // The list is greyed while empty; its hint is there to be read.
    QPalette readable = EmptyListHint->palette();
    readable.setColor(QPalette::Disabled, QPalette::WindowText,
                      readable.color(QPalette::Active, QPalette::PlaceholderText));
    EmptyListHint->setPalette(readable);
    EmptyListHint->setGeometry(LstNames->viewport()->rect());
    EmptyListHint->hide();
}

void MainDialog::BuildFind() {
    FrmFind = Named(new QGroupBox(QStringLiteral(" Find "), this), QStringLiteral("FrmFind"));
    SetTwipsGeometry(FrmFind, 120, 4620, 8655, 675);
    shell::PutCaptionOnFrameLine(FrmFind);
    FrmFind->setMouseTracking(true);
    TxtFind = Named(new QLineEdit(FrmFind), QStringLiteral("TxtFind"), QStringLiteral("Type a text to find"));
    SetTwipsGeometry(TxtFind, 180, 240, 2475, 315);
    BtnFind =
        Named(new QPushButton(QStringLiteral("F&ind"), FrmFind), QStringLiteral("BtnFind"), QStringLiteral("Find"));
    SetTwipsGeometry(BtnFind, 2760, 240, 1335, 315);
    SrchInLabel = Named(new QLabel(QStringLiteral("Sea&rch In:"), FrmFind), QStringLiteral("SrchInLabel"));
    SetTwipsGeometry(SrchInLabel, 4860, 300, 915, 255);
    SrchInLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SrchInLabel->setMouseTracking(true);
    CboSrchIn = Named(new QComboBox(FrmFind), QStringLiteral("CboSrchIn"));
    CboSrchIn->addItems({QStringLiteral("Name only"), QStringLiteral("Company only"),
                         QStringLiteral("Name, Title, & Company"), QStringLiteral("All fields")});
    CboSrchIn->setCurrentIndex(-1);
    SetTwipsGeometry(CboSrchIn, 5910, 240, 2565, 315);
    SrchInLabel->setBuddy(CboSrchIn);
}

void MainDialog::BuildButtons() {
    struct ButtonRow {
        QPushButton** button;
        const char* name;
        const char* caption;
        int top;
        const char* hint;
    };
    const ButtonRow rows[] = {
        {&BtnCopy, "BtnCopy", "&Copy", 240, "Copy selected details.  (Right Click for options)"},
        {&BtnFilter, "BtnFilter", "&Filter", 660, "Use filter to show part of your data."},
        {&BtnDial, "BtnDial", "Dia&l", 1080, "Dial a Phone or Fax number."},
        {&BtnEdit, "BtnEdit", "&Edit", 1560, "Edit details for the selected name."},
        {&BtnNew, "BtnNew", "&New", 1980, "Insert New Name.  (Right Click for options)"},
        {&BtnDelete, "BtnDelete", "&Delete", 2400, "Click to Delete the selected name.  (Right Click for options)"},
        {&BtnExchange, "BtnExchange", "Exc&hange", 2910, "Import, Back-Up, Restore deleted record."},
        {&BtnSetup, "BtnSetup", "&Setup", 3330, "Change application's settings."},
        {&BtnAbout, "BtnAbout", "&About", 3750, "About Tessaly: version and notice."},
        {&BtnExit, "BtnExit", "E&xit", 4170, "Exit the application..."},
    };
    for (const ButtonRow& s : rows) {
        *s.button = Named(new QPushButton(QString::fromLatin1(s.caption), this), QString::fromLatin1(s.name),
                          QString::fromLatin1(s.hint));
        SetTwipsGeometry(*s.button, 7560, s.top, 1215, 375);
        (*s.button)->setAutoDefault(false);
    }
}

}  // namespace tessaly::mainwin

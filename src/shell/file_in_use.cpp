#include "file_in_use.h"

#include "app_context.h"
#include "card_file_guard.h"
#include "msg_box.h"
#include "twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tessaly::shell {

namespace {

QLabel* MakeText(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

}  // namespace

// The texts are long and fonts differ, so layouts size the window: only the widths are fixed.
FileInUse::FileInUse(AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), context_(context) {
    setObjectName(QStringLiteral("FileInUse"));
    setWindowTitle(QStringLiteral("Data File In Use"));
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(ToPixels(720), ToPixels(720)));
    picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame"));
    Label1 = MakeText(
        frame, "Label1",
        QStringLiteral("It seems that other application (Tessaly for WinWord ?) is currently using the data file."));
    Label2 = MakeText(
        frame, "Label2",
        QStringLiteral("To prevent data errors all changes to the data will be dissabled now, in both applications."));
    Label3 = MakeText(frame, "Label3",
                      QStringLiteral("Use the 'Previous crash recover' option to enable editing.\n"
                                     "Select this option only if you are absolutely sure that no other application is "
                                     "currently using the data.\n"
                                     "Improper use may cause you lost of data !"));
    Label1->setMinimumWidth(ToPixels(4800));
    auto* texts = new QVBoxLayout(frame);
    texts->setSpacing(ToPixels(180));
    for (QLabel* label : {Label1, Label2, Label3}) texts->addWidget(label);

    ChkCrashRecover = new QCheckBox(QStringLiteral("Previous crash recover"), this);
    ChkCrashRecover->setObjectName(QStringLiteral("ChkCrashRecover"));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnOK->setMinimumSize(ToPixels(1215), ToPixels(375));

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(frame, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ChkCrashRecover);
    bottom->addStretch(1);
    bottom->addWidget(BtnOK);
    auto* window = new QVBoxLayout(this);
    window->setSizeConstraint(QLayout::SetFixedSize);
    window->addLayout(top);
    window->addLayout(bottom);

    connect(ChkCrashRecover, &QCheckBox::toggled, this, &FileInUse::ChkCrashRecover_Click);
    connect(BtnOK, &QPushButton::clicked, this, &FileInUse::BtnOK_Click);
}

void FileInUse::ChkCrashRecover_Click(bool ticked) {
    if (!ticked) return;
    const MessageButton sure = DoubleTextBox().ShowMsg(
        QStringLiteral("Are you absolutely sure that no other application is currently using the data file?"),
        QStringLiteral("Improper use of the 'Previous crash recover' option may cause you lost of data!"), 3,
        QStringLiteral("Yes"), QStringLiteral("No"), 3, QStringLiteral("Are you sure ?"));
    if (sure == MessageButton::Second) ChkCrashRecover->setChecked(false);
}

void FileInUse::BtnOK_Click() {
    if (ChkCrashRecover->isChecked()) {
        // Editing comes back only once the file says this program is its only user.
        try {
            RecoverFromCrash(context_.Profile, context_.DataFile);
            context_.InUse = false;
        } catch (const profile::WriteError& e) {
            ReportWriteFailure(e, QStringLiteral("The data file stays in use; changes remain disabled."));
        }
    }
    accept();
}

}  // namespace tessaly::shell

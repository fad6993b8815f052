#include "window_test.h"

#include "shell/file_in_use.h"
#include "shell/msg_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace tessaly::shell;

namespace {

class FileInUseTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        folder.put(QStringLiteral("tesly.dat"), "[General Info]\r\nApplication=Tessaly\r\nNoOfUses=2\r\n");
        context().DataFile = folder.path(QStringLiteral("tesly.dat"));
        context().InUse = true;
    }
    QString uses() {
        return context().Profile.read(context().DataFile, QStringLiteral("General Info"), QStringLiteral("NoOfUses"));
    }

    // Ticks the box, answers the confirmation with the given action, then presses OK.
    void tickAnswerAndConfirm(std::function<void(MsgBoxDblTxt&)> confirm) {
        answerWith([](QDialog& window) {
            auto& dialog = static_cast<FileInUse&>(window);
            QTest::mouseClick(dialog.ChkCrashRecover, Qt::LeftButton);
            ticked = dialog.ChkCrashRecover->isChecked();
            QTest::mouseClick(dialog.BtnOK, Qt::LeftButton);
        });
        answerWith([confirm](QDialog& window) { confirm(static_cast<MsgBoxDblTxt&>(window)); });
        FileInUse dialog(context());
        RunModal(dialog);
    }
    static inline bool ticked = false;
};

TEST_F(FileInUseTest, showsItsTexts) {
    FileInUse dialog(context());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Data File In Use"));
    EXPECT_EQ(
        dialog.Label2->text(),
        QStringLiteral("To prevent data errors all changes to the data will be dissabled now, in both applications."));
    EXPECT_TRUE(dialog.Label3->text().endsWith(QStringLiteral("\nImproper use may cause you lost of data !")));
    EXPECT_EQ(dialog.ChkCrashRecover->text(), QStringLiteral("Previous crash recover"));
    EXPECT_FALSE(dialog.ChkCrashRecover->isChecked());
    dialog.show();
    for (QLabel* label : {dialog.Label1, dialog.Label2, dialog.Label3})
        EXPECT_GE(label->height(), label->heightForWidth(label->width()))
            << label->objectName().toStdString() << " is cut";
}

TEST_F(FileInUseTest, confirmedRecoveryMakesThisProgramTheOnlyUser) {
    tickAnswerAndConfirm([](MsgBoxDblTxt& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Are you sure ?"));
        EXPECT_EQ(box.Text2->text(),
                  QStringLiteral("Improper use of the 'Previous crash recover' option may cause you lost of data!"));
        EXPECT_TRUE(box.BtnCancel->isDefault());
        EXPECT_EQ(box.BtnOK->text(), QStringLiteral("Yes"));
        EXPECT_TRUE(box.Exclamation->isVisible());
        QTest::mouseClick(box.BtnOK, Qt::LeftButton);
    });
    EXPECT_TRUE(ticked);
    EXPECT_EQ(uses(), QStringLiteral("1"));
    EXPECT_FALSE(context().InUse);
}

TEST_F(FileInUseTest, answeringNoOrClosingClearsTheBoxAndWritesNothing) {
    const QByteArray before = folder.bytes(QStringLiteral("tesly.dat"));
    tickAnswerAndConfirm([](MsgBoxDblTxt& box) { QTest::mouseClick(box.BtnCancel, Qt::LeftButton); });
    EXPECT_FALSE(ticked);
    tickAnswerAndConfirm([](MsgBoxDblTxt& box) { box.close(); });
    EXPECT_FALSE(ticked);
    EXPECT_EQ(folder.bytes(QStringLiteral("tesly.dat")), before);
    EXPECT_TRUE(context().InUse);
}

TEST_F(FileInUseTest, clearingTheBoxAsksNothing) {
    answerWith([](QDialog& window) { QTest::mouseClick(static_cast<MsgBoxDblTxt&>(window).BtnOK, Qt::LeftButton); });
    FileInUse dialog(context());
    dialog.ChkCrashRecover->setChecked(true);
    dialog.ChkCrashRecover->setChecked(false);
    EXPECT_EQ(modalCount, 1);
}

}  // namespace

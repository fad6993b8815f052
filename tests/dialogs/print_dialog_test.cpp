#include "../app/app_fixture.h"

#include "dialogs/print_dialog.h"
#include "shell/progress_windows.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardPaths>

namespace {

class PrintDialogTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        preferences("NameField=2\n");
        cards({{"Ann", "Lee", "Acme"}, {"Bo", "Ray", "Beta"}, {"Cy", "Fox", "Gamma"}});
        ASSERT_TRUE(app::Main(context()));
    }
    // Opens the dialog from the Reports menu and lets 'fill' choose before Print is pressed.
    void printFromMenu(QAction* entry, std::function<void(dialogs::PrintDialog&)> fill) {
        answerMessages(true, [&](QDialog& window) {
            auto& dialog = dynamic_cast<dialogs::PrintDialog&>(window);
            dialog.OptPdf->setChecked(true);
            dialog.TxtPdfFile->setText(pdf());
            fill(dialog);
            QTest::mouseClick(dialog.BtnPrint, Qt::LeftButton);
            if (dialog.isVisible()) QTest::mouseClick(dialog.BtnCancel, Qt::LeftButton);  // a failure keeps it open
        });
        ASSERT_TRUE(entry->isEnabled());
        entry->trigger();
    }
    QString pdf() const { return home.path("out.pdf"); }
    QString text() {
        QProcess p;
        p.start("pdftotext", {"-layout", pdf(), "-"});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    bool havePoppler() const { return !QStandardPaths::findExecutable("pdftotext").isEmpty(); }
};

// Records the progress of a print and, the first time the windows may
// repaint, tries every way a user has to interrupt it.
struct InterruptingProgress : store::ProgressSink {
    QPointer<dialogs::PrintDialog> dialog;
    int prints = 0;
    QList<int> gauges;
    bool tried = false, heldDuringPrint = false;
    void percentText(const QString&) override { ++prints; }
    void gauge(int percent) override { gauges << percent; }
    void pumpEvents() override {
        if (tried || !dialog) return;
        tried = true;
        QTest::mouseClick(dialog->BtnPrint, Qt::LeftButton);
        QTest::mouseClick(dialog->BtnCancel, Qt::LeftButton);
        QTest::keyClick(dialog, Qt::Key_Escape);
        dialog->close();
        heldDuringPrint = dialog->isVisible() && !dialog->isEnabled() && shell::PercentWindow().isVisible();
    }
};

}  // namespace

TEST_F(PrintDialogTest, reportsOffersPrintingBesideTheDisabledWinWordEntry) {
    QStringList entries;
    for (QAction* a : main().Menus().MnuReports->actions()) entries << a->text() + (a->isEnabled() ? "" : " (off)");
    EXPECT_EQ(entries, QStringList({"Create &Labels in WinWord (off)", "&Print Labels…", "Print Lis&t…"}));
    EXPECT_TRUE(main().Menus().MnuExchangeArray[0]->isEnabled());
}

TEST_F(PrintDialogTest, labelsOfTheFilteredCardsGoToAPdfFromTheChosenPosition) {
    context().Store->SetFilter({"0", "2"});  // Lee and Fox
    printFromMenu(main().Menus().MnuPrintLabels, [](dialogs::PrintDialog& d) {
        d.CboSheet->setCurrentIndex(d.CboSheet->findData("L7163"));
        EXPECT_EQ(d.SpnStart->maximum(), 14);
        d.SpnStart->setValue(14);
    });
    EXPECT_EQ(asked, QStringList());
    ASSERT_TRUE(home.bytes("out.pdf").startsWith("%PDF"));
    if (!havePoppler()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString t = text();
    EXPECT_TRUE(t.contains("Cy Fox")) << qPrintable(t);
    EXPECT_TRUE(t.contains("Ann Lee"));
    EXPECT_FALSE(t.contains("Ray"));
    EXPECT_EQ(t.count('\f'), 2);  // the last label of the first sheet, then the second sheet
}

TEST_F(PrintDialogTest, theFullListGoesToAPdfAndAFileThatCannotBeWrittenIsTold) {
    printFromMenu(main().Menus().MnuPrintList, [](dialogs::PrintDialog& d) { d.CboKind->setCurrentIndex(1); });
    ASSERT_TRUE(home.bytes("out.pdf").startsWith("%PDF"));
    if (havePoppler()) {
        const QString t = text();
        EXPECT_TRUE(t.contains("Full list"));
        EXPECT_TRUE(t.contains("Gamma"));
        EXPECT_TRUE(t.contains("Page 1 of 1"));
    }
    printFromMenu(main().Menus().MnuPrintList,
                  [this](dialogs::PrintDialog& d) { d.TxtPdfFile->setText(home.path("none/out.pdf")); });
    EXPECT_EQ(asked, QStringList({"Print"}));
}

TEST_F(PrintDialogTest, thePreviewShowsTheLabelsOnTheSheetsTheyNeed) {
    int pages = -1;
    shell::SetModalAnswerer([&](QDialog& window) {
        if (auto* preview = qobject_cast<QPrintPreviewDialog*>(&window)) {
            auto* view = preview->findChild<QPrintPreviewWidget*>();
            view->updatePreview();
            pages = view->pageCount();
            preview->reject();
        } else if (auto* dialog = qobject_cast<dialogs::PrintDialog*>(&window)) {
            dialog->CboSheet->setCurrentIndex(dialog->CboSheet->findData("5164"));  // six labels a sheet
            dialog->SpnStart->setValue(5);
            QTest::mouseClick(dialog->BtnPreview, Qt::LeftButton);
            QTest::mouseClick(dialog->BtnCancel, Qt::LeftButton);
        }
    });
    main().Menus().MnuPrintLabels->trigger();
    EXPECT_EQ(pages, 2);  // labels 5 and 6 of the first sheet, then the third card on the next
    EXPECT_FALSE(QFile::exists(pdf()));
}

TEST_F(PrintDialogTest, theGaugeFollowsThePagesAndTheDialogTakesNoInputMeanwhile) {
    struct Case {
        const char* name;
        QAction* entry;
        std::function<void(dialogs::PrintDialog&)> fill;
    };
    const QList<Case> cases = {
        {"labels on two sheets", main().Menus().MnuPrintLabels,
         [](dialogs::PrintDialog& d) {
             d.CboSheet->setCurrentIndex(d.CboSheet->findData("5164"));
             d.SpnStart->setValue(5);
         }},
        {"the full list", main().Menus().MnuPrintList, [](dialogs::PrintDialog& d) { d.CboKind->setCurrentIndex(1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(pdf());
        auto* spy = new InterruptingProgress;
        std::unique_ptr<store::ProgressSink> windows =
            std::exchange(context().Progress, std::unique_ptr<store::ProgressSink>(spy));
        const auto restore = qScopeGuard([&] { context().Progress = std::move(windows); });
        printFromMenu(c.entry, [&](dialogs::PrintDialog& d) {
            spy->dialog = &d;
            c.fill(d);
        });
        EXPECT_TRUE(spy->heldDuringPrint);
        EXPECT_EQ(spy->prints, 1);
        EXPECT_EQ(asked, QStringList());
        ASSERT_FALSE(spy->gauges.isEmpty());
        EXPECT_TRUE(std::is_sorted(spy->gauges.begin(), spy->gauges.end())) << spy->gauges.size();
        EXPECT_GT(QSet<int>(spy->gauges.begin(), spy->gauges.end()).size(), 2);
        EXPECT_EQ(spy->gauges.front(), 0);
        EXPECT_EQ(spy->gauges.back(), 100);
        EXPECT_TRUE(home.bytes("out.pdf").startsWith("%PDF"));
        EXPECT_FALSE(shell::PercentWindow().isVisible());
        EXPECT_TRUE(main().isEnabled());
    }
}

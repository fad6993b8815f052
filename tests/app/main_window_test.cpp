#include "app_fixture.h"

#include "shell/about_window.h"
#include "shell/main_window_link.h"
#include "shell/placement.h"
#include "shell/twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

namespace {

class MainWindowTest : public AppTest {
protected:
    // Three hundred cards: "Person NNN" at "Firm (299-NNN)", so the two orders run opposite ways.
    void startWithManyCards(const QByteArray& ts32Lines = QByteArray()) {
        QList<std::array<QString, 3>> list;
        for (int i = 0; i < 300; ++i)
            list.append({QStringLiteral("Person"), QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')),
                         QStringLiteral("Firm %1").arg(299 - i, 3, 10, QLatin1Char('0'))});
        preferences(ts32Lines);
        cards(list);
        ASSERT_TRUE(app::Main(context()));
    }
    QString panel(int i) { return main().StatBar->text(i); }
    QString label(int i) { return main().Label[i]->text(); }
    // Answers the popup menus that the next steps open.
    void onPopup(std::function<void(QMenu&)> choose) { shell::SetPopupAnswerer(std::move(choose)); }
    void TearDown() override {
        shell::SetPopupAnswerer({});
        AppTest::TearDown();
    }
    // The pointer moving over a control, as the window system reports it.
    void moveOver(QWidget* w, QPoint at = QPoint(-1, -1)) {
        if (at.x() < 0) at = w->rect().center();
        QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    QPoint statusPanelCentre(int i) { return main().StatBar->panel(i)->geometry().center(); }
};

TEST_F(MainWindowTest, browsingShowsEveryCardInNameOrderWithItsPosition) {
    startWithManyCards();
    ASSERT_EQ(main().LstNames->model()->rowCount(), 300);
    EXPECT_EQ(main().LstNames->model()->index(0, 0).data().toString(), "000, Person");
    EXPECT_EQ(main().LstNames->currentRow(), 0);
    EXPECT_EQ(panel(1), " 1/ 300");
    EXPECT_EQ(panel(2), "Name");
    EXPECT_EQ(panel(3), "Filter - OFF");
    EXPECT_EQ(label(0), "Mr. 000");  // style 0: salutation and last name
    EXPECT_EQ(label(2), "Firm 299");

    main().LstNames->setCurrentRow(41);
    EXPECT_EQ(panel(1), " 42/ 300");
    EXPECT_EQ(label(0), "Mr. 041");
    EXPECT_EQ(main().CurrentRecNo(), "41");
    EXPECT_EQ(main().CurrentCard()[store::Company], "Firm 258");
    EXPECT_TRUE(main().ChkCopy[0]->isEnabled());
    EXPECT_FALSE(main().ChkCopy[1]->isEnabled());  // no title
    EXPECT_FALSE(main().Label[1]->isEnabled());
    EXPECT_FALSE(main().Notes->isEnabled());
}

TEST_F(MainWindowTest, theCompanyViewKeepsTheSelectedCardAndTheFileIsUntouched) {
    startWithManyCards();
    main().LstNames->setCurrentRow(10);  // Person 010 at Firm 289
    const QByteArray before = home.bytes(QStringLiteral("cards/tesly.dat"));
    QTest::mouseDClick(main().StatBar, Qt::LeftButton, {}, statusPanelCentre(2));
    EXPECT_EQ(panel(2), "Company");
    EXPECT_EQ(main().LstNames->model()->index(0, 0).data().toString(), "( Firm 000 )");
    EXPECT_EQ(main().LstNames->currentRow(), 289);
    EXPECT_EQ(main().CurrentRecNo(), "10");
    EXPECT_TRUE(main().Menus().MnuViewArray[1]->isChecked());
    EXPECT_FALSE(main().Menus().MnuViewArray[0]->isChecked());

    main().Menus().MnuViewArray[1]->trigger();  // already in company order: nothing
    EXPECT_EQ(panel(2), "Company");
    main().Menus().MnuViewArray[0]->trigger();
    EXPECT_EQ(panel(2), "Name");
    EXPECT_EQ(main().LstNames->currentRow(), 10);
    // The view is not a preference change: nothing on disk moved except the use count.
    EXPECT_EQ(home.bytes(QStringLiteral("cards/tesly.dat")), before);
}

TEST_F(MainWindowTest, theStoredViewAndNameStyleAreUsedAtStart) {
    startWithManyCards("Show=1\nNameField=1\nCopyCompany= 1\n");
    EXPECT_EQ(panel(2), "Company");
    EXPECT_EQ(main().LstNames->model()->index(0, 0).data().toString(), "( Firm 000 )");
    EXPECT_EQ(label(0), "Mr. Person 299");
    EXPECT_TRUE(main().ChkCopy[2]->isChecked());
    EXPECT_FALSE(main().ChkCopy[0]->isChecked());
}

TEST_F(MainWindowTest, aClearedCopyBoxStaysClearedForTheNextCards) {
    startWithManyCards("CopyName=1\n");
    EXPECT_TRUE(main().ChkCopy[0]->isChecked());
    QTest::mouseClick(main().ChkCopy[0], Qt::LeftButton);
    main().LstNames->setCurrentRow(5);
    EXPECT_FALSE(main().ChkCopy[0]->isChecked());
    EXPECT_EQ(context().Prefs.CopyFlags[0], 0);
}

TEST_F(MainWindowTest, anEmptyCardFileDisablesBrowsingAndFocusesNew) {
    preferences();
    cards({});
    ASSERT_TRUE(app::Main(context()));
    mainwin::MainDialog& m = main();
    EXPECT_FALSE(m.LstNames->isEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{m.BtnCopy, m.BtnEdit, m.BtnDelete, m.BtnFilter, m.DetailsFrame,
                                                      m.FrmFind, m.TxtFind, m.CboSrchIn})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    for (QCheckBox* box : m.ChkCopy) EXPECT_FALSE(box->isChecked() || box->isEnabled());
    EXPECT_TRUE(m.BtnNew->isEnabled());
    EXPECT_EQ(m.focusWidget(), m.BtnNew);
    EXPECT_EQ(m.CboSrchIn->currentIndex(), -1);
    EXPECT_EQ(panel(1), "");
    for (int i = 0; i < 13; ++i) EXPECT_EQ(label(i), "");
}

TEST_F(MainWindowTest, hintsFollowTheMouseAndTheState) {
    preferences();
    cards({});
    ASSERT_TRUE(app::Main(context()));
    moveOver(main().BtnNew);
    EXPECT_EQ(panel(0), "Click to Insert New Name.");
    moveOver(main().BtnExit);
    EXPECT_EQ(panel(0), "Exit the application...");
    moveOver(main().StatBar, statusPanelCentre(3));
    EXPECT_EQ(panel(0), "Double-Click to get Filter dialog. (Right Click for options)");
    moveOver(main().StatBar, statusPanelCentre(2));
    EXPECT_EQ(panel(0), "Double-Click to change, for this session only. (Right Click for options)");
    moveOver(main().StatBar, statusPanelCentre(0));
    EXPECT_EQ(panel(0), "");
}

TEST_F(MainWindowTest, hoveringTheAddressLightsTheWholeBlock) {
    startWithManyCards();
    main().Label[5]->setEnabled(true);
    moveOver(main().Label[5]);
    const QColor hover = context().HoverColor, text = context().TextColor;
    for (int i = 0; i < 13; ++i) EXPECT_EQ(main().Label[i]->Colour(), (i >= 3 && i <= 7) ? hover : text) << i;
    EXPECT_EQ(panel(0), "Click to copy the Address to the Clipboard.");
    moveOver(main().Label[0]);
    EXPECT_EQ(main().Label[0]->Colour(), hover);
    EXPECT_EQ(main().Label[5]->Colour(), text);
    EXPECT_EQ(panel(0), "Click to change the style of this name. Shift+Click to copy to the Clipbaord.");
}

TEST_F(MainWindowTest, theNameStyleMenuChangesOnlyTheShownName) {
    startWithManyCards();
    QStringList offered;
    onPopup([&](QMenu& menu) {
        for (QAction* a : menu.actions())
            if (a->isVisible() && !a->isSeparator()) offered << a->text();
        main().Menus().MnuNameStyleArray[1]->trigger();
    });
    QTest::mousePress(main().Label[0], Qt::LeftButton);
    EXPECT_EQ(offered, (QStringList{"Mr. 000", "Mr. Person 000", "Person 000", "Person", "Cancel"}));
    EXPECT_EQ(label(0), "Mr. Person 000");
    EXPECT_EQ(context().Prefs.NameField, 0);
    main().LstNames->setCurrentRow(1);
    main().LstNames->setCurrentRow(0);
    EXPECT_EQ(label(0), "Mr. 000");
}

TEST_F(MainWindowTest, theListMenuHoldsEveryCommandWithLaterOnesDisabled) {
    startWithManyCards();
    mainwin::TeslyMnu& m = main().Menus();
    QStringList top;
    for (QAction* a : m.MnuLstNames->actions()) top << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(top, (QStringList{"&Copy",     "&Filter",   "D&ial",     "-",     "&Edit", "&New",
                                "&Delete",   "-",         "E&xchange", "-",     "&Undo", "&Redo",
                                "&History…", "&Sync Now", "-",         "&View", "-",     "&Tip of The Day",
                                "-",         "&About"}));
    EXPECT_EQ(m.MnuCopyArray[2]->text(), "Copy && &Paste into WinWord");
    EXPECT_FALSE(m.MnuCopyArray[2]->isEnabled());
    EXPECT_TRUE(m.MnuExchangeArray[0]->isEnabled());  // Reports: printing labels and lists
    EXPECT_FALSE(m.MnuReportsArray[0]->isEnabled());  // no word processor to make labels in
    EXPECT_TRUE(m.MnuFilterArray[1]->isChecked());
    EXPECT_TRUE(m.MnuAbout->isEnabled());
    EXPECT_TRUE(m.MnuTipOfDay->isEnabled());
    m.WinWordRunTimer_Timer();
    EXPECT_FALSE(m.MnuCopyArray[2]->isEnabled());  // no word processor to talk to here
    EXPECT_EQ(m.WinWordRunTimer.interval(), 10000);
    EXPECT_TRUE(m.WinWordRunTimer.isActive());

    bool popped = false;
    onPopup([&](QMenu& menu) { popped = &menu == m.MnuLstNames; });
    QTest::mousePress(main().LstNames->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(popped);
}

TEST_F(MainWindowTest, typingALetterJumpsToTheFirstMatchingName) {
    preferences();
    cards({{"Ann", "Adams", ""}, {"Bob", "Brown", ""}, {"Carl", "Cole", ""}});
    ASSERT_TRUE(app::Main(context()));
    main().LstNames->setFocus();
    QTest::keyClick(main().LstNames, Qt::Key_C);
    EXPECT_EQ(main().LstNames->currentIndex().data().toString(), "Cole, Carl");
    EXPECT_EQ(label(0), "Mr. Cole");
}

TEST_F(MainWindowTest, aboutOpensAtTheTopRightOverADisabledMainWindow) {
    preferences();
    cards({});
    ASSERT_TRUE(app::Main(context()));
    QTest::mouseClick(main().BtnAbout, Qt::LeftButton);
    shell::AboutWindow* about = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* a = qobject_cast<shell::AboutWindow*>(w)) about = a;
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(main().isEnabled());
    const QRect m = shell::WindowTwips(&main()), a = shell::WindowTwips(about);
    // Placed before it is shown, the window's frame is not yet counted: allow a few pixels.
    EXPECT_NEAR(a.right(), m.right() - 150, 90);
    EXPECT_NEAR(a.top(), std::max(300, m.top() + 150), 90);
    QTest::mouseClick(about->BtnOK, Qt::LeftButton);
    EXPECT_TRUE(main().isEnabled());
}

}  // namespace

// Windows over the main window reach it only through its link: a status text
// lands in its panel, and "the lists changed" refreshes it on the row asked for.
TEST_F(MainWindowTest, statusTextsAndListChangesReachTheMainWindowThroughItsLink) {
    startWithManyCards();
    ASSERT_EQ(shell::MainWindowLink::Current(), &main().Link());
    shell::SetMainStatusText(0, QStringLiteral("Please wait while deleting the record"));
    EXPECT_EQ(panel(0), "Please wait while deleting the record");

    // A change left row 7 to select, over the disabled main window.
    main().LstNames->setCurrentRow(5);
    main().setEnabled(false);
    shell::RefreshMain(7);
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(panel(0), "");
    EXPECT_EQ(main().LstNames->currentRow(), 7);
    EXPECT_EQ(main().CurrentRecNo(), cardStore().ShownRecNo(7));
    EXPECT_EQ(panel(1), " 8/ 300");
}

// Whatever the platform's font: every copy box's caption ends before the
// detail beside it, no detail loses its descenders, the notes show whole
// lines only, and each frame's controls sit clear below the frame's top line.
TEST_F(MainWindowTest, captionsNotesAndFramedControlsStayClearOfEachOther) {
    startWithManyCards();
    for (QCheckBox* box : main().ChkCopy) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_LE(box->x() + box->sizeHint().width() + shell::ToPixels(90), main().Label[0]->x());
    }
    // A descender's ink ends above the label's last row, where it would be cut off.
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        main().Label[i]->setText(QStringLiteral("gjpqy"));
        const QImage image = main().Label[i]->grab().toImage();
        const QRgb background = image.pixel(image.width() - 1, 0);
        for (int x = 0; x < image.width(); ++x) ASSERT_EQ(image.pixel(x, image.height() - 1), background) << "x " << x;
    }
    QLabel* notes = main().Label[12];
    EXPECT_EQ(notes->height() % notes->fontMetrics().lineSpacing(), 0);
    EXPECT_GE(notes->height(), notes->fontMetrics().lineSpacing());

    for (QGroupBox* frame : {main().DetailsFrame, main().FrmFind}) {
        SCOPED_TRACE(frame->objectName().toStdString());
        // The top line as drawn: the first row that differs from the background, near the right end clear of the
        // controls.
        const QImage image = frame->grab().toImage();
        const int x = image.width() - 4;
        int line = 0;
        while (line < image.height() && image.pixel(x, line) == image.pixel(x, 0)) ++line;
        ASSERT_LT(line, image.height() / 2);
        for (QWidget* control : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_GE(control->y(), line + shell::ToPixels(60)) << control->objectName().toStdString();
    }
}

#include "window_test.h"

#include "shell/msg_box.h"
#include "shell/twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace tessaly::shell;

namespace {

class MessageWindowTest : public WindowTest {
protected:
    void click(QPushButton* button) {
        answerWith([button](QDialog&) { QTest::mouseClick(button, Qt::LeftButton); });
    }
    void key(Qt::Key k) {
        answerWith([k](QDialog& window) { QTest::keyClick(&window, k); });
    }
    // Shows the single-text window with the given buttons and answers it with a key.
    MessageButton answerByKey(std::int16_t buttons, Qt::Key k) {
        key(k);
        return SingleTextBox().ShowMsg(QStringLiteral("Go on?"), buttons, QStringLiteral("Yes"), QStringLiteral("No"),
                                       2, QStringLiteral("Question"));
    }
    static QStringList visiblePictures(MessageWindow& box) {
        QStringList shown;
        for (QLabel* picture : {box.Critical, box.Question, box.Exclamation, box.Information})
            if (picture->isVisible()) shown << picture->objectName();
        return shown;
    }
};

// Buttons 0 and 1 show one button, centred; each answers as its place says.
TEST_F(MessageWindowTest, aSingleButtonIsCentredAndAnswersForItsPlace) {
    MsgBoxSnglTxt& box = SingleTextBox();
    for (std::int16_t buttons : {0, 1}) {
        QPushButton* shown = buttons == 0 ? box.BtnOK : box.BtnCancel;
        answerWith([&](QDialog&) {
            EXPECT_TRUE(shown->isVisible());
            EXPECT_FALSE((buttons == 0 ? box.BtnCancel : box.BtnOK)->isVisible());
            EXPECT_EQ(ToTwips(shown->x()), (4755 - 1215) / 2);
            EXPECT_EQ(box.Text1->text(), QStringLiteral("All done."));
            QTest::mouseClick(shown, Qt::LeftButton);
        });
        EXPECT_EQ(box.ShowMsg(QStringLiteral("All done."), buttons, QStringLiteral("OK"), QString(), 4,
                              QStringLiteral("Notice")),
                  buttons == 0 ? MessageButton::First : MessageButton::Second);
        EXPECT_FALSE(box.isVisible());
    }
    EXPECT_EQ(&SingleTextBox(), &box) << "the window is kept for the next call";
}

// Each window hands back the button it was answered with, whatever an earlier answer was.
TEST_F(MessageWindowTest, showMsgReturnsTheButtonPressed) {
    struct Row {
        const char* name;
        std::function<void(MessageWindow&)> answer;
        MessageButton expected;
    };
    const Row rows[] = {
        {"first button", [](MessageWindow& w) { QTest::mouseClick(w.BtnOK, Qt::LeftButton); }, MessageButton::First},
        {"second button", [](MessageWindow& w) { QTest::mouseClick(w.BtnCancel, Qt::LeftButton); },
         MessageButton::Second},
        {"Enter on the default second button", [](MessageWindow& w) { QTest::keyClick(&w, Qt::Key_Return); },
         MessageButton::Second},
        {"closed", [](MessageWindow& w) { w.close(); }, MessageButton::Second},
        {"hidden by the program", [](MessageWindow& w) { w.hide(); }, MessageButton::Second},
    };
    for (const Row& row : rows) {
        for (const bool two : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (two ? ", two texts" : ", one text"));
            answerWith([&](QDialog& window) { row.answer(static_cast<MessageWindow&>(window)); });
            const MessageButton pressed =
                two ? DoubleTextBox().ShowMsg(QStringLiteral("Sure?"), QStringLiteral("Really."), 3,
                                              QStringLiteral("Yes"), QStringLiteral("No"), 2, QStringLiteral("Q"))
                    : SingleTextBox().ShowMsg(QStringLiteral("Sure?"), 3, QStringLiteral("Yes"), QStringLiteral("No"),
                                              2, QStringLiteral("Q"));
            EXPECT_EQ(pressed, row.expected);
        }
    }
}

TEST_F(MessageWindowTest, twoButtonsSitSideBySideAndEnterPressesTheDefaultOne) {
    MsgBoxSnglTxt& box = SingleTextBox();
    for (std::int16_t buttons : {2, 3}) {
        answerWith([&](QDialog& window) {
            EXPECT_EQ(ToTwips(box.BtnOK->x()), 1020);
            EXPECT_EQ(ToTwips(box.BtnCancel->x()), 2520);
            EXPECT_EQ(box.BtnOK->isDefault(), buttons == 2);
            EXPECT_EQ(box.BtnCancel->isDefault(), buttons == 3);
            QTest::keyClick(&window, Qt::Key_Return);
        });
        EXPECT_EQ(box.ShowMsg(QStringLiteral("Sure?"), buttons, QStringLiteral("Yes"), QStringLiteral("No"), 2,
                              QStringLiteral("Q")),
                  buttons == 2 ? MessageButton::First : MessageButton::Second)
            << "buttons " << buttons;
    }
}

TEST_F(MessageWindowTest, escapeAndClosingAnswerZero) {
    EXPECT_EQ(answerByKey(2, Qt::Key_Escape), MessageButton::Second);
    answerWith([](QDialog& window) { window.close(); });
    EXPECT_EQ(SingleTextBox().ShowMsg(QStringLiteral("Sure?"), 2, QStringLiteral("Yes"), QStringLiteral("No"), 2,
                                      QStringLiteral("Q")),
              MessageButton::Second);
    EXPECT_FALSE(SingleTextBox().isVisible());
}

TEST_F(MessageWindowTest, anUnknownButtonValueKeepsThePreviousLayout) {
    EXPECT_EQ(answerByKey(3, Qt::Key_Return), MessageButton::Second);
    MsgBoxSnglTxt& box = SingleTextBox();
    answerWith([&](QDialog& window) {
        EXPECT_TRUE(box.BtnOK->isVisible());
        EXPECT_TRUE(box.BtnCancel->isVisible());
        EXPECT_EQ(box.BtnOK->text(), QStringLiteral("Retry"));
        QTest::keyClick(&window, Qt::Key_Return);
    });
    EXPECT_EQ(box.ShowMsg(QStringLiteral("Again?"), 7, QStringLiteral("Retry"), QStringLiteral("Stop"), 2,
                          QStringLiteral("Q")),
              MessageButton::Second)
        << "the second button is still the default";
}

// With a single button shown, Enter presses that button even when the hidden one
// is the default, and Esc answers 0 as closing the window would.
TEST_F(MessageWindowTest, keysWithOneButtonHidden) {
    EXPECT_EQ(answerByKey(3, Qt::Key_Return), MessageButton::Second);
    EXPECT_EQ(answerByKey(0, Qt::Key_Return), MessageButton::First);
    EXPECT_EQ(answerByKey(0, Qt::Key_Escape), MessageButton::Second);
    EXPECT_EQ(answerByKey(2, Qt::Key_Return), MessageButton::First);
    EXPECT_EQ(answerByKey(1, Qt::Key_Return), MessageButton::Second);
}

TEST_F(MessageWindowTest, onlyTheChosenPictureIsShown) {
    MsgBoxSnglTxt& box = SingleTextBox();
    const std::pair<std::int16_t, QStringList> calls[] = {
        {3, {QStringLiteral("Exclamation")}}, {0, {}}, {1, {QStringLiteral("Critical")}},
        {4, {QStringLiteral("Information")}}, {9, {}},
    };
    for (const auto& [icon, expected] : calls) {
        answerWith([&, expected = expected](QDialog& window) {
            EXPECT_EQ(visiblePictures(box), expected);
            window.close();
        });
        box.ShowMsg(QStringLiteral("Look."), 0, QStringLiteral("OK"), QString(), icon, QStringLiteral("Icons"));
    }
}

TEST_F(MessageWindowTest, aCarriageReturnBreaksTheLineAndMarkupStaysText) {
    MsgBoxSnglTxt& box = SingleTextBox();
    answerWith([](QDialog& window) { window.close(); });
    box.ShowMsg(QStringLiteral("First line.\rSecond <b>line</b>."), 0, QStringLiteral("OK"), QString(), 0, QString());
    EXPECT_EQ(box.Text1->text(), QStringLiteral("First line.\nSecond <b>line</b>."));
    EXPECT_EQ(box.Text1->textFormat(), Qt::PlainText);
}

TEST_F(MessageWindowTest, theDoubleTextWindowHasItsOwnLayout) {
    MsgBoxDblTxt& box = DoubleTextBox();
    answerWith([&](QDialog&) {
        EXPECT_EQ(box.Text1->text(), QStringLiteral("One."));
        EXPECT_EQ(box.Text2->text(), QStringLiteral("Two."));
        EXPECT_EQ(ToTwips(box.BtnOK->y()), 1860);
        EXPECT_EQ(ToTwips(box.height()), 2415);
        EXPECT_EQ(visiblePictures(box), QStringList{QStringLiteral("Question")});
        QTest::mouseClick(box.BtnOK, Qt::LeftButton);
    });
    EXPECT_EQ(box.ShowMsg(QStringLiteral("One."), QStringLiteral("Two."), 2, QStringLiteral("Yes"),
                          QStringLiteral("No"), 2, QStringLiteral("Two texts")),
              MessageButton::First);
}

// The labels keep their size; a caller's text of the length the windows are made
// for is set smaller rather than losing its last line, and a short one is not.
TEST_F(MessageWindowTest, aLongTextIsWrappedWholeAndTheWindowGrowsThenShrinksBack) {
    MsgBoxDblTxt& box = DoubleTextBox();
    const QString longText = QStringLiteral(
        "Could not write /home/somebody/a/rather/deep/folder/of/cards/tesly12.dat: "
        "No space left on device, and so on for a few more words");
    struct Case {
        const char* what;
        QString text2;
        bool grows;
    } cases[] = {{"long", longText, true}, {"short again", QStringLiteral("Sure?"), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        answerWith([](QDialog& window) { window.close(); });
        box.ShowMsg(QStringLiteral("Sure?"), c.text2, 0, QStringLiteral("OK"), QString(), 0, QString());
        EXPECT_LE(box.Text2->heightForWidth(box.Text2->width()), box.Text2->height());  // nothing cut
        EXPECT_EQ(box.Text2->font().pointSizeF(), box.font().pointSizeF());             // nothing shrunk
        EXPECT_EQ(ToTwips(box.Text2->height()) > 435, c.grows);
        EXPECT_GE(box.BtnOK->y(), box.Frame->geometry().bottom());  // the button stays below the texts
    }
}

class MessagePlacementTest : public MessageWindowTest {
protected:
    // Shows the window over a main window at the given place (twips) and returns where it stood.
    QRect shownOver(QRect mainTwips) {
        main.setGeometry(ToPixels(mainTwips));
        if (!MainWindowLink::Current()) linkMain(main);
        QRect shown;
        MsgBoxSnglTxt& box = SingleTextBox();
        answerWith([&](QDialog& window) {
            // The corrections come with the activation, which the window system reports a moment after the show.
            EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
            shown = WindowTwips(&window);
            window.close();
        });
        box.ShowMsg(QStringLiteral("Here."), 0, QStringLiteral("OK"), QString(), 0, QStringLiteral("Place"));
        return shown;
    }
    QWidget main;
};

TEST_F(MessagePlacementTest, centredOverTheMainWindow) {
    const QRect main(3000, 2000, 6000, 4500);
    const QRect shown = shownOver(main);
    EXPECT_NEAR(shown.center().x(), main.center().x(), 30);
    EXPECT_NEAR(shown.center().y(), main.center().y(), 30);
}

TEST_F(MessagePlacementTest, keptClearOfTheBottomAndTheLeftOfTheScreen) {
    const QRect screen = ScreenTwips();
    QRect shown = shownOver(QRect(3000, screen.height() - 1500, 6000, 4500));
    EXPECT_NEAR(shown.bottom() + 1, screen.height() - 300, 15);
    shown = shownOver(QRect(-6000, 2000, 6000, 4500));
    EXPECT_NEAR(shown.left(), 150, 15);
}

}  // namespace

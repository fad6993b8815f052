#include "dialogs/import_duplicates_dialog.h"
#include "../support/window_checks.h"

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace tessaly;
using store::DuplicateAction;

namespace {

constexpr int ActionColumn = 3;
const char* const Labels[] = {"Skip", "Import anyway", "Fill empty fields"};

// Three incoming cards, each matching a card of the card file: by name
// unless given the matches (all three rows then start at "Import anyway").
struct Window {
    store::KnownCards known;
    QList<store::Card> incoming;
    QList<store::ImportDuplicate> duplicates;
    std::unique_ptr<dialogs::ImportDuplicatesDialog> dialog;

    explicit Window(QList<std::pair<store::MatchStrength, store::MatchKey>> matches = {}) {
        for (int i = 0; i < 3; ++i) {
            store::Card card;
            card[store::FirstName] = QStringLiteral("Jo");
            card[store::EMail] = QStringLiteral("c%1@example.org").arg(i);
            card[store::Phone1] = QStringLiteral("+49 30 1234567%1").arg(i);
            known.recNos << QString::number(i), known.cards << card, incoming << card;
            const auto [strength, key] = matches.value(i, {store::MatchStrength::Possible, store::MatchKey::Name});
            duplicates << store::ImportDuplicate{i, QString::number(i), -1, strength, key};
        }
        dialog = std::make_unique<dialogs::ImportDuplicatesDialog>(known, incoming, duplicates);
        dialog->show();
    }
    QTableWidget& table() { return *dialog->TblMatches; }
    // A key goes to the open action box when there is one, as focus would send it.
    void press(Qt::Key key) {
        QWidget* editor = table().indexWidget(table().currentIndex());
        QTest::keyClick(editor ? editor : &table(), key);
    }
};

}  // namespace

TEST(ImportDuplicatesDialogTest, theKeyboardChangesOneRowsAction) {
    using enum DuplicateAction;
    struct Case {
        const char* what;
        QList<Qt::Key> keys;
        QList<DuplicateAction> actions;
    } cases[] = {
        {"S skips", {Qt::Key_S}, {Import, Skip, Import}},
        {"I after S imports again", {Qt::Key_S, Qt::Key_I}, {Import, Import, Import}},
        {"F2 and Down pick the next action", {Qt::Key_F2, Qt::Key_Down}, {Import, Fill, Import}},
        {"F2 and Up pick the one before", {Qt::Key_F2, Qt::Key_Up}, {Import, Skip, Import}},
        {"after a choice Down moves to the next row", {Qt::Key_S, Qt::Key_Down, Qt::Key_F}, {Import, Skip, Fill}},
        {"Escape after F2 keeps the action", {Qt::Key_F2, Qt::Key_Escape}, {Import, Import, Import}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        w.press(Qt::Key_Down);  // from the first row's action, where the window opens
        for (Qt::Key key : c.keys) w.press(key);
        EXPECT_EQ(w.dialog->Actions(), c.actions);
        EXPECT_EQ(w.table().item(1, ActionColumn)->text(), Labels[int(c.actions[1])]);
    }
}

TEST(ImportDuplicatesDialogTest, theAllButtonsOverrideEveryRowsChoice) {
    using D = dialogs::ImportDuplicatesDialog;
    const std::pair<QPushButton * D::*, DuplicateAction> cases[] = {{&D::BtnSkipAll, DuplicateAction::Skip},
                                                                    {&D::BtnFillAll, DuplicateAction::Fill},
                                                                    {&D::BtnImportAll, DuplicateAction::Import}};
    for (const auto& [button, action] : cases) {
        SCOPED_TRACE(Labels[int(action)]);
        Window w;
        w.press(action == DuplicateAction::Skip ? Qt::Key_F : Qt::Key_S);  // a row chosen by hand first
        QTest::mouseClick((*w.dialog).*button, Qt::LeftButton);
        EXPECT_EQ(w.dialog->Actions(), QList<DuplicateAction>(3, action));
        for (int row = 0; row < 3; ++row) EXPECT_EQ(w.table().item(row, ActionColumn)->text(), Labels[int(action)]);
    }
}

TEST(ImportDuplicatesDialogTest, aClickOrSpaceOnAnActionOpensItsList) {
    for (bool click : {true, false}) {
        SCOPED_TRACE(click ? "click" : "Space");
        Window w;
        const QModelIndex cell = w.table().model()->index(2, ActionColumn);
        w.table().setCurrentIndex(cell);
        if (click)
            QTest::mouseClick(w.table().viewport(), Qt::LeftButton, {}, w.table().visualRect(cell).center());
        else
            w.press(Qt::Key_Space);
        auto* box = qobject_cast<QComboBox*>(w.table().indexWidget(cell));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->currentText(), "Import anyway");
        EXPECT_TRUE(box->view()->isVisible()) << "the list is open";
        box->hidePopup();
    }
}

TEST(ImportDuplicatesDialogTest, strongMatchesStartAtSkipSayWhatMatchedAndEnterAppliesTheRows) {
    using enum DuplicateAction;
    using store::MatchKey;
    using store::MatchStrength;
    Window w({{MatchStrength::Strong, MatchKey::EMail},
              {MatchStrength::Possible, MatchKey::Name},
              {MatchStrength::Strong, MatchKey::Phone}});
    EXPECT_EQ(w.dialog->Actions(), QList<DuplicateAction>({Skip, Import, Skip}));
    EXPECT_EQ(w.table().item(0, 2)->text(), "e-mail c0@example.org");
    EXPECT_EQ(w.table().item(1, 2)->text(), "name Jo");
    EXPECT_EQ(w.table().item(2, 2)->text(), "phone +49 30 12345672");
    EXPECT_TRUE(w.dialog->LblStarting->text().contains("start at Skip"));
    EXPECT_EQ(w.dialog->LblStarting->buddy(), &w.table());
    EXPECT_EQ(window_checks::AcceleratorFindings(w.dialog.get()) + window_checks::TabOrderFindings(w.dialog.get()),
              QStringList());

    w.press(Qt::Key_Down);
    w.press(Qt::Key_S);  // the second row chosen by hand
    QTest::keyClick(&w.table(), Qt::Key_Return);
    EXPECT_EQ(w.dialog->result(), QDialog::Accepted) << "Enter on the rows presses the default button";
    EXPECT_EQ(w.dialog->Actions(), QList<DuplicateAction>(3, Skip));
}

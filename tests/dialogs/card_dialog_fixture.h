#pragma once
#include "../app/app_fixture.h"

#include "cards/card_check.h"
#include "dialogs/dialog_openers.h"
#include "dialogs/edit_dialog.h"
#include "dialogs/new_dialog.h"
#include "shell/progress_windows.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

using dialogs::CardForm;
using dialogs::EditDialog;
using dialogs::NewDialog;

// The program started on a card file of the test's own, with the card dialogs
// opened as the main window's commands open them.
class CardDialogTest : public AppTest {
protected:
    void TearDown() override {
        delete NewDialog::Current();
        delete EditDialog::Current();
        AppTest::TearDown();
    }
    void start(const QList<std::array<QString, 3>>& list) {
        preferences();
        cards(list);
        ASSERT_TRUE(app::Main(context()));
    }
    NewDialog& openNew() {
        dialogs::OpenNewDialog(context());
        return *NewDialog::Current();
    }
    EditDialog& openEdit() {
        dialogs::OpenEditDialog(context(), main().Selected());
        return *EditDialog::Current();
    }
    void ok(CardForm& dialog) { QTest::mouseClick(dialog.BtnOK, Qt::LeftButton); }
    // Lets closed dialogs go, as the event loop would.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // The card file as a fresh program reads it.
    store::Card stored(const QString& n) {
        profile::CachedProfile p;
        return store::CardStore(p, cardsDir()).ReadCard(n);
    }
    QStringList faults() {
        profile::CachedProfile p;
        store::CardStore s(p, cardsDir());
        s.LoadLists();
        return store::CheckCardFile(s);
    }
    QStringList listTexts() {
        QStringList texts;
        for (int i = 0; i < main().LstNames->model()->rowCount(); ++i)
            texts << main().LstNames->model()->index(i, 0).data().toString();
        return texts;
    }
    QString selectedText() { return main().LstNames->currentIndex().data().toString(); }
    QByteArray cardFiles() {
        QByteArray all;
        for (const QString& f : QDir(cardsDir()).entryList({QStringLiteral("tesly*.dat")}, QDir::Files, QDir::Name))
            all += f.toUtf8() + '\n' + home.bytes(QStringLiteral("cards/") + f);
        return all;
    }
    // The dialog is gone and the main window takes input again with an empty first panel.
    void expectUnloaded() {
        settle();
        EXPECT_EQ(NewDialog::Current(), nullptr);
        EXPECT_EQ(EditDialog::Current(), nullptr);
        EXPECT_TRUE(main().isEnabled());
        EXPECT_EQ(main().StatBar->text(0), "");
        EXPECT_FALSE(shell::PleaseWaitWindow().isVisible());
    }
    // A card file with every field of one card filled, notes on several lines.
    static store::Card fullCard() {
        store::Card f;
        for (int i = 0; i < store::kFieldCount; ++i) f[i] = QStringLiteral("%1 value").arg(store::FieldKeys[i]);
        f[store::Notes] = QStringLiteral("first line\nsecond line\n\n  indented");
        return f;
    }
    void startWith(const QList<store::Card>& list) {
        preferences();
        profile::CachedProfile p;
        store::CardStore s(p, cardsDir());
        store::WriteEmptyHeader(p, s.DataFile());
        for (const auto& card : list) s.AddCard(card);
        ASSERT_TRUE(app::Main(context()));
    }
};

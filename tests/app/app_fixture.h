#pragma once
#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "app/startup.h"
#include "cards/card_change.h"
#include "cards/card_check.h"
#include "cards/card_store.h"
#include "mainwin/detail_label.h"
#include "mainwin/main_dialog.h"
#include "profile/app_paths.h"
#include "shell/app_context.h"
#include "shell/main_window_link.h"
#include "shell/modal_seam.h"
#include "shell/msg_box.h"
#include "shell/tip_of_day.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace tessaly;

// A user's home of their own for each test: the preferences and data folders
// point into a temporary folder, and modal windows are answered by the test.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", home.path(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", home.path(QStringLiteral("data")).toUtf8());
        previousDir = QDir::currentPath();
        QDir::setCurrent(home.path());
        QDir().mkpath(cardsDir());
    }
    void TearDown() override {
        shell::SetModalAnswerer({});
        // The tip may be a child window of the main window: deleting one can delete the other.
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<shell::TipOfDay*>(w) || w == app::TheMainDialog()) windows << w;
        for (const QPointer<QWidget>& w : windows) delete w.data();
        QDir::setCurrent(previousDir);
    }
    // A fresh context, as a new run of the program starts with.
    void resetContext() { context_ = std::make_unique<shell::AppContext>(); }
    shell::AppContext& context() { return *context_; }

    QString prefsFile() const { return home.path(QStringLiteral("config/Tessaly/ostrel.ini")); }
    QString cardsDir() const { return home.path(QStringLiteral("cards/")); }
    QString cardFile() const { return cardsDir() + QStringLiteral("tesly.dat"); }
    // Preferences that name the card folder and keep the tip closed, plus lines of the test's own.
    void preferences(const QByteArray& ts32Lines = QByteArray()) {
        QDir().mkpath(home.path(QStringLiteral("config/Tessaly")));
        home.put(QStringLiteral("config/Tessaly/ostrel.ini"),
                 "[Data Files]\nTeslyDataPath=" + cardsDir().toUtf8() + "\n[TS32]\nTips=0\n" + ts32Lines);
    }
    // A card file with these cards, added through the store as the program adds them.
    void cardFile(const QList<store::Card>& list) {
        profile::CachedProfile p;
        store::CardStore s(p, cardsDir());
        store::WriteEmptyHeader(p, s.DataFile());
        store::CardChange change(s);   // one lock and one look at the files, as an import
        profile::ProfileBulk bulk(p);  // one write per file, not one per key
        for (const store::Card& f : list) s.AddCard(f);
        bulk.finish();
        change.commit();
    }
    // Cards named by (first, last, company), each with the salutation the New dialog proposes.
    void cards(const QList<std::array<QString, 3>>& list) {
        QList<store::Card> fields;
        for (const auto& c : list) {
            store::Card f;
            f[store::Sal] = QStringLiteral("Mr.");
            f[store::FirstName] = c[0];
            f[store::LastName] = c[1];
            f[store::Company] = c[2];
            fields << f;
        }
        cardFile(fields);
    }
    QString header(const QString& key) {
        profile::CachedProfile p;
        return p.read(cardFile(), QStringLiteral("General Info"), key);
    }
    void setHeader(const QString& key, const QString& value) {
        profile::CachedProfile p;
        p.write(cardFile(), QStringLiteral("General Info"), key, value);
    }
    // Answers every message window with its first or second button; other modal windows are left to 'other'.
    void answerMessages(bool first, std::function<void(QDialog&)> other = {}) {
        shell::SetModalAnswerer([this, first, other](QDialog& window) {
            if (auto* box = qobject_cast<shell::MessageWindow*>(&window)) {
                asked << box->windowTitle();
                QTest::mouseClick(first ? box->BtnOK : box->BtnCancel, Qt::LeftButton);
            } else if (other) {
                other(window);
            }
        });
    }
    // The faults of the card file as a fresh start would read it; empty when sound.
    QStringList checkFile(const QString& dir = QString()) {
        profile::CachedProfile p;
        store::CardStore s(p, dir.isEmpty() ? cardsDir() : dir);
        return store::CheckCardFile(s);
    }
    // A copy of the card folder, to run the same change through tessaly-cli.
    QString copyOfCards() {
        const QString copy = home.path(QStringLiteral("cards-cli/"));
        QDir().mkpath(copy);
        for (const QString& f : QDir(cardsDir()).entryList(QDir::Files)) QFile::copy(cardsDir() + f, copy + f);
        // The command line refuses a file that a program has open; the copy is nobody's.
        profile::CachedProfile p;
        p.write(copy + QStringLiteral("tesly.dat"), QStringLiteral("General Info"), QStringLiteral("NoOfUses"),
                QStringLiteral("0"));
        return copy;
    }
#ifdef TESSALY_CLI
    QString cli(const QString& dir, const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(TESSALY_CLI), QStringList{QStringLiteral("--data"), dir} + args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
#endif
    // Every card file of both folders byte for byte, apart from the use count that only the program keeps.
    void expectSameCards(const QString& a, const QString& b) {
        auto files = [](const QString& dir) { return QDir(dir).entryList(QDir::Files, QDir::Name); };
        ASSERT_EQ(files(a), files(b));
        for (const QString& f : files(a)) {
            auto bytes = [&](const QString& dir) {
                QFile file(dir + f);
                file.open(QIODevice::ReadOnly);
                QByteArray content = file.readAll();
                const qsizetype at = content.indexOf("NoOfUses=");
                if (at >= 0) content.remove(at, content.indexOf('\n', at) - at + 1);
                return content;
            };
            EXPECT_EQ(QString::fromUtf8(bytes(a)), QString::fromUtf8(bytes(b))) << f.toStdString();
        }
    }
    // Windows closed with deleteLater are gone once the posted deletions ran.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    mainwin::MainDialog& main() {
        return *app::TheMainDialog();
    }
    store::CardStore& cardStore() {
        return *context().Store;
    }

    // Before the windows: they refer to it until they are deleted.
    std::unique_ptr<shell::AppContext> context_ = std::make_unique<shell::AppContext>();
    TempFolder home;
    QString previousDir;
    QStringList asked;  // titles of the message windows answered
};

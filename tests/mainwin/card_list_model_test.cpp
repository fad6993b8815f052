// The main window's list model over the store's shown list.
#include "mainwin/card_list_model.h"
#include "../support/qt_print.h"
#include "../support/temp_folder.h"
#include "cards/card_layout.h"
#include "cards/card_store.h"
#include "profile/cached_profile.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <functional>

using namespace tessaly;

namespace {

class CardListModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        store::WriteEmptyHeader(profile, s.DataFile());
        for (const char* name : {"Bell", "Dunn", "Fox"}) add(name, QStringLiteral("Co ") + name);
        model.SetStore(&s);
    }
    QString add(const QString& last, const QString& company = QString()) {
        store::Card f;
        f[store::LastName] = last;
        f[store::Company] = company;
        return s.AddCard(f);
    }
    // Every row as the model shows it, checked against the store's row.
    QStringList rows() {
        QStringList shown;
        EXPECT_EQ(model.rowCount(), s.ShownCount());
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex at = model.index(row, 0);
            EXPECT_EQ(at.data(Qt::UserRole).toInt(), store::RecordData(s.ShownRecNo(row)));
            shown << at.data().toString();
        }
        return shown;
    }

    TempFolder dir;
    profile::CachedProfile profile;
    store::CardStore s{profile, dir.path()};
    mainwin::CardListModel model;
    // Fails the test at the first change the views could not follow.
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// Each change of the store reaches the model as rows that the views can follow,
// and the model then shows what the store's shown list holds.
TEST_F(CardListModelTest, theRowsFollowEveryChangeOfTheStore) {
    struct Step {
        const char* name;
        std::function<void()> change;
        QStringList expected;
    };
    store::Card dunn = s.ReadCard(QStringLiteral("1"));
    store::Card renamed = dunn;
    renamed[store::LastName] = QStringLiteral("Abel");
    const Step steps[] = {
        {"as loaded", [] {}, {"Bell", "Dunn", "Fox"}},
        {"a card added", [&] { add(QStringLiteral("Cole")); }, {"Bell", "Cole", "Dunn", "Fox"}},
        {"a card deleted", [&] { s.DeleteCard(QStringLiteral("0")); }, {"Cole", "Dunn", "Fox"}},
        {"a card renamed moves", [&] { s.ChangeCard(QStringLiteral("1"), dunn, renamed); }, {"Abel", "Cole", "Fox"}},
        {"a card restored", [&] { s.RestoreCard(QStringLiteral("0")); }, {"Abel", "Bell", "Cole", "Fox"}},
        {"the company view", [&] { s.SetView(1); }, {"( Co Bell )", "( Co Dunn )", "( Co Fox )", "Cole"}},
        {"a filter",
         [&] {
             s.SetFilter({QStringLiteral("2"), QStringLiteral("3")});
         },
         {"( Co Fox )", "Cole"}},
        {"the filter off", [&] { s.ClearFilter(); }, {"( Co Bell )", "( Co Dunn )", "( Co Fox )", "Cole"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        EXPECT_EQ(rows(), step.expected);
        EXPECT_FALSE(model.Changing());
    }
}

// A store that goes (or was never opened) leaves an empty list, not rows that read a store no more.
TEST_F(CardListModelTest, withoutAStoreTheListIsEmpty) {
    model.SetStore(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    add(QStringLiteral("Cole"));
    EXPECT_EQ(model.rowCount(), 0) << "the store tells the model no more";
}

}  // namespace

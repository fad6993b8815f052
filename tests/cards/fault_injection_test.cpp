#include "../support/store_fixture.h"

#include "cards/card_change.h"
#include "profile/file_faults.h"

#include <QDir>
#include <iostream>

using namespace tessaly::store;
using tessaly::profile::FileStep;

namespace {

using Files = QMap<QString, QByteArray>;

Files CardFiles(const QString& folder) {
    Files files;
    for (const QString& name : QDir(folder).entryList({"tesly*.dat"}, QDir::Files)) {
        QFile f(folder + u'/' + name);
        if (f.open(QIODevice::ReadOnly)) files.insert(name, f.readAll());
    }
    return files;
}

void PutFiles(const QString& folder, const Files& files) {
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile f(folder + u'/' + it.key());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(it.value());
    }
}

QString AddNamed(CardStore& s, const QString& last, const QString& company = QString()) {
    Card f;
    f[FirstName] = "A", f[LastName] = last, f[Company] = company;
    return s.AddCard(f);
}

// Every card the file holds, live or deleted, as the next start finds them.
struct Cards {
    QSet<QString> live, deleted;
};
Cards StartUp(const QString& folder, QStringList& faults) {
    tessaly::profile::CachedProfile fresh;
    CardStore s(fresh, folder + u'/');
    s.RefreshLists();
    faults = CheckCardFile(s);
    const QStringList gone = s.LoadDeletedList().DeletedRecs;
    return {QSet<QString>(s.AllByName.begin(), s.AllByName.end()), QSet<QString>(gone.begin(), gone.end())};
}

// Counts the steps of replacing files and fails the one numbered failAt (1-based; 0: none).
struct StepCounter {
    int failAt = 0;
    int seen = 0;
    void install() {
        tessaly::profile::SetFaultHook([this](FileStep, const QString&) { return ++seen == failAt; });
    }
    ~StepCounter() { tessaly::profile::SetFaultHook({}); }
};

struct Scenario {
    const char* what;
    std::function<void(CardStore&)> setUp;
    std::function<void(CardStore&)> change;
    QString mustStayLive;  // a card the change must never leave anywhere but live
};

}  // namespace

// Fails the Nth create, write, rename or sync of a file for every N through a
// change: the failure is reported, every card file is as it was before or as
// it is after the change, and the next start finds a sound file with every card.
TEST(FaultInjection, aChangeFailingAtAnyFileStepIsReportedAndLosesNoCard) {
    auto fiveCards = [](CardStore& s) {
        for (const char* name : {"Adams", "Baker", "Clark", "Dunn", "Evans"})
            AddNamed(s, name, QString("Co %1").arg(name));
        s.DeleteCard("1");
        s.DeleteCard("3");
    };
    const Scenario scenarios[] = {
        {"AddCard", fiveCards, [](CardStore& s) { AddNamed(s, "Cole", "Acme"); }, {}},
        {"moving ChangeCard", fiveCards,
         [](CardStore& s) {
             Card current = s.ReadCard("0"), typed = current;
             typed[LastName] = "Zimmer";
             s.ChangeCard("0", current, typed);
         },
         "0"},
        {"DeleteCard", fiveCards, [](CardStore& s) { s.DeleteCard("2"); }, {}},
        {"RestoreCard", fiveCards, [](CardStore& s) { s.RestoreCard("1"); }, {}},
        {"sort rewrite of a scrambled file",
         [&](CardStore& s) {
             fiveCards(s);
             s.WriteCardKey("0", "ShowName", "Zulu, A");
             s.WriteHeader("NoOfRecords", "9");
         },
         [](CardStore& s) { s.RefreshLists(); },
         {}},
        {"300 AddCards in one bulk",
         fiveCards,
         [](CardStore& s) {
             CardChange change(s);
             tessaly::profile::ProfileBulk bulk(s.Profile());
             for (int i = 0; i < 300; ++i) AddNamed(s, QString("Bulk%1").arg(i));
             bulk.finish();
             change.commit();
         },
         {}},
    };
    for (const Scenario& sc : scenarios) {
        SCOPED_TRACE(sc.what);
        TempFolder model;
        Files before, after;
        int steps = 0;
        {
            tessaly::profile::CachedProfile p;
            CardStore s(p, model.path());
            WriteEmptyHeader(p, s.DataFile());
            sc.setUp(s);
            before = CardFiles(model.path());
            StepCounter counter;
            counter.install();
            sc.change(s);
            steps = counter.seen;
            after = CardFiles(model.path());
        }
        ASSERT_GT(steps, 0);
        TempFolder old;
        PutFiles(old.path(), before);
        QStringList unused;
        const Cards committed = StartUp(old.path(), unused);
        const auto failuresSoFar = [] {
            return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
        };
        const int failuresBefore = failuresSoFar();
        for (int n = 1; n <= steps; ++n) {
            SCOPED_TRACE(QString("step %1 of %2 fails").arg(n).arg(steps).toStdString());
            TempFolder dir;
            PutFiles(dir.path(), before);
            {
                tessaly::profile::CachedProfile p;
                CardStore s(p, dir.path());  // its first change loads the lists, as after start-up
                StepCounter counter{n};
                counter.install();
                EXPECT_ANY_THROW(sc.change(s));
            }
            const Files now = CardFiles(dir.path());
            for (const QString& name :
                 QSet<QString>(before.keyBegin(), before.keyEnd()) + QSet<QString>(after.keyBegin(), after.keyEnd()))
                EXPECT_TRUE(now.value(name) == before.value(name) || now.value(name) == after.value(name))
                    << name.toStdString();
            QStringList faults;
            const Cards found = StartUp(dir.path(), faults);
            EXPECT_EQ(faults, QStringList());
            for (const QString& rec : committed.live + committed.deleted)
                EXPECT_TRUE(found.live.contains(rec) || found.deleted.contains(rec))
                    << "card " << rec.toStdString() << " lost";
            if (!sc.mustStayLive.isEmpty()) {
                EXPECT_TRUE(found.live.contains(sc.mustStayLive));
            }
        }
        const int failures = failuresSoFar() - failuresBefore;
        std::cout << "[ figures  ] " << sc.what << ": " << steps << " file steps, " << steps << " faults injected, "
                  << failures << " failures\n";
    }
}

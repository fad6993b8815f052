#pragma once
#include "cards/card_layout.h"

#include <QString>
#include <random>

namespace tessaly::profile {
class ProfileAccess;
}

// Plausible cards for benchmarks: names, companies, addresses, phones, some notes.
class CardGenerator {
public:
    explicit CardGenerator(unsigned seed = 20261208) : rng_(seed) {}
    tessaly::store::Card next();

private:
    QString pick(const QStringList& from);
    QString digits(int count);
    std::mt19937 rng_;
};

// A card file of n cards in order, made through the store's own add.
void MakeCardFile(const QString& dataDir, int n);
// The same cards, the name and company lists linked in reverse order.
void MakeReversedCardFile(const QString& dataDir, int n);
// The import's way of adding n generated cards: one bulk, every card file written once.
void ImportInBulk(tessaly::profile::ProfileAccess& profile, const QString& dataDir, int n);

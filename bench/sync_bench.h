#pragma once
#include <QString>
#include <QTextStream>

// S1-S4 against radicale on this computer: S4 a first sync of an address book of the cards in
// 'cardFolder' down into an empty card file, S2 a sync with nothing to do and S3 one with one edited card
// on it, S1 a first sync of 'upCards' of the cards up to an empty address book. 'work' holds the copies.
void SyncBenchmarks(const QString& cardFolder, const QString& work, int runs, int upCards, const QString& only,
                    QTextStream& out);

#pragma once
#include <QString>
#include <QTextStream>

// S1-S4: a first sync of the card file in 'cardFolder' up to an empty radicale on this computer, a sync
// with nothing to do, one with one edited card, and a first sync of the whole address book down into
// an empty card file. 'work' is a folder for the copies.
void SyncBenchmarks(const QString& cardFolder, const QString& work, int runs, const QString& only, QTextStream& out);

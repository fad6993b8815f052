#pragma once
#include "profile/profile_access.h"

#include <QString>
#include <QStringList>
#include <chrono>

namespace tessaly::store {

// The folder in the data folder where a new set of card files is prepared, and
// the folder that keeps the card files as they were before the last restore or
// import (a backup that "Restore from BackUp" accepts). Both end in '/'.
QString StageFolder(const QString& dataDir);
QString SafetyFolder(const QString& dataDir);

// True for the names of the card files: "tesly.dat" and "tesly" + K + ".dat".
bool IsCardFileName(const QString& name);

// A switch that failed half-way and could not be undone either; the next
// opening of the card file finishes it from the journal.
class SwitchUnfinished : public profile::WriteError {
public:
    using profile::WriteError::WriteError;
};

// A complete new set of card files, prepared in the stage folder and switched
// in whole. A journal written before the first rename names the new set, so a
// switch that a crash stopped is finished by SettleCardFiles, and a stage that
// never reached its journal is thrown away: the card files are wholly the old
// set or wholly the new one. Used under the card file's change lock.
class StagedCardFiles {
public:
    // Settles what an earlier run left, then makes an empty stage with the
    // card file's privacy (a private card file gets a private folder).
    explicit StagedCardFiles(const QString& dataDir);
    // Not switched in: the stage goes, the card files are untouched.
    ~StagedCardFiles();
    StagedCardFiles(const StagedCardFiles&) = delete;
    StagedCardFiles& operator=(const StagedCardFiles&) = delete;

    // The folder the new card files are written to; ends in '/'.
    QString folder() const;
    // Copies the card files as they are into the stage: a change starts from them.
    void copyCurrent();
    // Copies the header alone: a change that starts from an empty card file.
    void copyHeader();
    // One file of the new set, written with the card file's mode.
    void put(const QString& name, const QByteArray& bytes);

    // The card files a switch replaces, creates or moves away: paths in the data folder.
    QStringList filesReplaced() const;

    // Makes the stage durable, records the switch, moves the card files the
    // new set lacks out of the data folder and renames the new ones over the
    // old (the header last); the old ones become the safety copy. Throws
    // profile::WriteError when it failed and the card files are as they were,
    // SwitchUnfinished when they could not be put back (the next opening
    // finishes the switch).
    void switchIn();

private:
    QString dataDir_;
    bool switched_ = false;
};

// True when a stage or an unfinished switch is there (one look at the folder).
bool HasUnsettledChange(const QString& dataDir);

// Under the change lock: finishes a switch whose journal was written, or
// removes a stage that never got that far. True when there was one. Throws
// profile::WriteError when it cannot, leaving the journal for the next try.
bool SettleCardFiles(const QString& dataDir);

// Before a program or command reads the card file: settles what a stopped run
// left, under the change lock (waiting up to 'wait' for a change that runs).
// Nothing to settle costs one look at the folder.
bool SettleBeforeUse(const QString& dataDir, std::chrono::milliseconds wait);

}  // namespace tessaly::store

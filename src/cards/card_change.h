#pragma once
#include "card_lock.h"
#include "change_recorder.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <optional>

namespace tessaly::store {

class CardStore;

// The scope of one change to a card file. The outermost one in a store takes
// the change lock, reloads the lists when the card files changed on disk since
// the store last saw them, and notes each file's bytes before the change first
// writes it. commit() ends the change; leaving the scope without it (a write
// failed, the change was refused) puts every file it wrote back as it was.
// Nested scopes (a change made of other changes) share the outermost one, so a
// bulk of changes (an import) holds one scope around its ProfileBulk: one lock,
// one look at the files, and an undo of the whole bulk when its flush fails.
class CardChange {
public:
    enum class Lists { Refresh, AsTheyAre };
    explicit CardChange(CardStore& store, Lists lists = Lists::Refresh);
    ~CardChange();
    void commit();

    // Called by the store before each write to a file, and before each write to a card's section.
    void aboutToWrite(const QString& file);
    void aboutToWriteCard(const QString& recNo);
    // The change replaces these files whole (a switch of the card file): their bytes are noted
    // like those of a file written, and the change reports no single cards.
    void aboutToReplace(const QStringList& files);
    // The lists could not be read back after the change: the next change reads them again.
    void forgetLists();

    CardChange(const CardChange&) = delete;
    CardChange& operator=(const CardChange&) = delete;

private:
    void reloadLists();
    ChangeRecorder* recorder() const;
    void noteHeads();
    QList<CardTransition> transitions();
    void rollBack() noexcept;
    // Size, time and inode of every card file: a change that any writer made shows in them.
    void takeStamps();
    bool filesChanged();

    CardStore& store_;
    bool outermost_;
    std::optional<CardFileLock> lock_;
    QHash<QString, std::optional<QByteArray>> before_;  // nullopt: the file did not exist
    // For the recorder: the cards written, as they were, and the heads of the lists before the first write.
    QList<QString> touched_;
    QHash<QString, CardState> cardsBefore_;
    std::optional<std::pair<QString, QString>> headsBefore_;
    bool replacesFiles_ = false;
    QSet<QString> switched_;
    bool listsKnown_ = true;
    bool committed_ = false;
};

}  // namespace tessaly::store

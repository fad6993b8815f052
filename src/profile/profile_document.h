#pragma once
#include "profile_access.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tessaly::profile {

struct KeyScanPlan;

// One profile file in memory, read the way the Windows profile routines read
// it: "[section]" headers and "key=value" lines, names matched without regard
// to case, the first matching section and the first matching key winning.
// Every line that is not touched by a write is kept byte for byte, its own
// line end included; new lines take the line end of the file's first line.
class ProfileDocument {
public:
    static ProfileDocument parse(const QByteArray& bytes);

    QByteArray serialize() const;

    // Not const: a section's lines are parsed when first needed.
    std::optional<QString> value(const QString& section, const QString& key);
    bool hasSection(const QString& section) const;
    // Several keys of one section (an absent key as the empty text); nothing without the section.
    std::optional<QStringList> values(const QString& section, std::span<const QString> keys);
    // The same without a text made for each value: 'take' gets each in turn. False without the section.
    bool visitValues(const QString& section, std::span<const QString> keys, const ValueSink& take);
    // Creates the section and the key when missing. False when the line already
    // held exactly this value: nothing changed.
    bool setValue(const QString& section, const QString& key, const QString& value);
    // setValue for each key in turn; a section made by this call takes its keys
    // without a search for each. False when nothing changed.
    bool setValues(const QString& section, std::span<const QString> keys, std::span<const QString> values);

    // How a line ends. A lone CR ends a line for the Windows routines, so CR CR LF
    // reads as a line and an empty one; we keep it as one end so it is written back.
    enum class LineEnd : std::uint8_t { None, Lf, Cr, CrLf, CrCrLf };

private:
    struct Line {
        QByteArray text;            // unchanged lines share the bytes their section was split from
        std::int32_t equals = -1;   // position of the first '=' of a key line, -1 otherwise
        std::int32_t keyBegin = 0;  // the key name without its blanks
        std::int32_t keyLength = 0;
        // Of the key name in small letters, so that a search compares numbers
        // first; 0 for a name with non-ASCII bytes, which is compared in full.
        std::uint32_t keyHash = 0;
        LineEnd end = LineEnd::None;
        // Unchanged since its section was split: its bytes and line end lie in
        // the bytes split (as read, or as written into whole), right after the
        // line before it when that is so too.
        bool asRead = false;
    };
    // Where the values of the keys written lately are in a section not yet
    // split into lines, as one scan found them.
    static constexpr std::size_t kWriteKeys = 8;
    struct WrittenLines {
        std::uint32_t generation = 0;  // of the keys it was found for
        std::uint16_t seen = 0;        // a bit per key found
        std::array<std::int32_t, kWriteKeys> valueAt{}, valueEnd{};
    };
    // Card sections list their keys in the same order: where a name was found
    // last is where it is tried first (a slot per hash of the name).
    using KeyHints = std::array<std::int32_t, 64>;
    struct Section {
        QByteArray header;  // the "[name]" line; null for the lines before the first section
        LineEnd headerEnd = LineEnd::None;
        bool headerAsRead = false;
        // The name in its header, and whether no section before has it (a
        // section is added only when none has its name).
        QByteArrayView name;
        std::uint64_t nameHash = 0;  // of the name folded
        bool firstWithName = false;
        // Its bytes as read, header to last line end, while no write touched it.
        QByteArrayView readBytes;
        bool changed = true;
        // Start-up reads a few keys of every card: a section's lines are split
        // and indexed only when first looked up one by one or written; until
        // then 'body' (the bytes after the header) is all there is.
        QByteArrayView body;
        bool parsed = true;
        QByteArray ownBody;  // the body once written into while unsplit; 'body' then views it
        WrittenLines written;
        std::vector<Line> lines;
        // Small sections (a card has 23 keys) are searched line by line; large
        // ones get an index of folded key names, built when first needed.
        mutable QHash<QByteArray, qsizetype> keys;
        mutable bool indexed = false;
        // Set when two key lines might share a name (or one is not ASCII): a
        // position hint then cannot tell which of them comes first.
        bool mayRepeatKeys = false;
        std::uint64_t seenHashBits = 0;
        qsizetype find(const QString& key, KeyHints& hints) const;
        void noteKey(const Line& line);
        void parseLines(std::size_t& sizeHint);
    };

    static Line keyLine(QByteArray text, LineEnd end);
    // Fills in the key of a line whose first '=' is at 'equals', unless it is a comment.
    static void noteEquals(Line& line, qsizetype equals);
    QByteArray newKeyLine(QStringView name, QByteArrayView stored) const;
    void appendKeyLine(QByteArray& to, QStringView name, const QString& value) const;
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    Section& addSection(const QString& name);
    std::optional<bool> writeUnsplit(Section& s, const QString& key, QByteArrayView stored);
    int writeKeyIndex(const QString& key);
    // No two of the names are one (nor may be, when not ASCII).
    bool distinctNames(std::span<const QString> keys);

    std::vector<Section> sections_;
    // Builds sectionSlots_, when first needed.
    void indexSections() const;
    void growSectionSlots(std::size_t sections) const;
    template <typename Same>
    std::uint32_t& slotFor(std::uint64_t hash, Same same) const;
    std::uint32_t& slotOfName(const Section& s) const;  // of the first section with its name
    void addSectionSlot(std::size_t at) const;

    // The first section with each folded name, by its hash, probed in turn:
    // a slot holds the section's place plus one, 0 when empty.
    mutable std::vector<std::uint32_t> sectionSlots_;
    // Callers ask for runs of keys of one section: the last section found.
    mutable QString lastSectionName_;
    mutable qsizetype lastSectionAt_ = -1;
    mutable KeyHints keyHints_{};
    std::size_t lineCountHint_ = 8;
    std::vector<QString> distinctNames_;            // the last names found distinct
    std::shared_ptr<const KeyScanPlan> keyScan_;    // for the last keys read together
    std::vector<QString> writeKeys_;                // the keys written lately, at most kWriteKeys
    std::shared_ptr<const KeyScanPlan> writePlan_;  // for writeKeys_
    std::uint32_t writeGeneration_ = 0;
    QByteArray bytes_;  // the file as read; unchanged lines point into it
    LineEnd eol_ = LineEnd::CrLf;
    bool bom_ = false;
};

// Section and key names compare without regard to case and surrounding blanks.
QByteArray foldName(const QString& name);
QByteArray foldName(QByteArrayView raw);

}  // namespace tessaly::profile

#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>

namespace tessaly::profile {

// A file the layer could not read or write; the message names the file and the reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write that did not reach the disk. The file is left as it was.
class WriteError : public FileError {
public:
    using FileError::FileError;
};

// A file that exists but cannot be read (no permission, an I/O error, a folder
// in its place). It is never taken for an empty file.
class ReadError : public FileError {
public:
    using FileError::FileError;
};

// Takes the values of several keys in the order asked: the index of the key and
// its value, a view that holds only until it returns (an absent key is empty).
// It must not use the layer that calls it.
using ValueSink = std::function<void(std::size_t index, QStringView value)>;

// Single values of profile files: what the card store and the preferences use.
class ProfileAccess {
public:
    virtual ~ProfileAccess() = default;

    // An absent file, section or key reads as the empty text.
    virtual QString read(const QString& file, const QString& section, const QString& key) = 0;
    // Creates the file, the section and the key when missing. Returns once the
    // file on disk holds the value, or once it is held: in bulk mode for the
    // flush, within an operation for the end of the run of writes to the file.
    // Throws WriteError when the disk refuses it (a held value: where the run ends).
    virtual void write(const QString& file, const QString& section, const QString& key, const QString& value) = 0;
    virtual bool hasSection(const QString& file, const QString& section) = 0;
    // Several keys of one section, in the order given, as one write: a layer
    // that holds the file parsed finds it and replaces it once for all of them.
    virtual void writeSection(const QString& file, const QString& section, std::span<const QString> keys,
                              std::span<const QString> values) {
        for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i) write(file, section, keys[i], values[i]);
    }
    // The values of several keys of one section, handed to 'take' in the order
    // asked; false (and nothing taken) when the file has no such section. A
    // layer that holds the file parsed finds the section once for all of them
    // and makes no text of a value the reader only looks at.
    virtual bool visitSection(const QString& file, const QString& section, std::span<const QString> keys,
                              const ValueSink& take) {
        if (!hasSection(file, section)) return false;
        for (std::size_t i = 0; i < keys.size(); ++i) take(i, read(file, section, keys[i]));
        return true;
    }

    // One store procedure: each file is checked against the disk once within
    // it. The end of the outermost operation makes its writes durable and
    // throws WriteError when it cannot.
    virtual void beginOperation() {}
    virtual void endOperation() {}
    // Within an operation, writes in a row to one file may be held and made as
    // one replace when the run ends (a write to another file, a bulk, the end
    // of the operation): a reader sees fewer of the states that the writes one
    // by one give, never another state or another order. flushPending ends the
    // run now (throwing WriteError when it cannot); discardPending drops it (a
    // change being put back), and the file is read from disk again.
    virtual void flushPending() {}
    virtual void discardPending() {}

    // Long operations: writes are held in memory and flushed once by endBulk,
    // which throws WriteError when a file cannot be written.
    virtual void beginBulk() {}
    virtual void endBulk() {}

    // A bulk flush writes this file after every other one (the card file's header).
    virtual void setFlushedLast(const QString& /*file*/) {}
    // A file created in the model file's folder takes its owner, group and mode.
    virtual void setNewFileModel(const QString& /*modelFile*/) {}
};

// One store procedure. A change calls finish() at its end, which reports a
// write that could not be made durable; a scope left early (by an error
// already on its way) ends the operation quietly.
class ProfileOperation {
public:
    explicit ProfileOperation(ProfileAccess& p) : p_(p) { p_.beginOperation(); }
    ~ProfileOperation() {
        if (open_) {
            try {
                p_.endOperation();
            } catch (const FileError&) {
            }
        }
    }
    void finish() {
        open_ = false;
        p_.endOperation();
    }
    ProfileOperation(const ProfileOperation&) = delete;
    ProfileOperation& operator=(const ProfileOperation&) = delete;

private:
    ProfileAccess& p_;
    bool open_ = true;
};

// Holds writes until finish() or the end of the scope; a scope left by an
// error still flushes what was held, so nothing done so far is lost.
class ProfileBulk {
public:
    explicit ProfileBulk(ProfileAccess& p) : p_(p) { p_.beginBulk(); }
    ~ProfileBulk() {
        if (open_) {
            try {
                p_.endBulk();
            } catch (const WriteError&) {
            }
        }
    }
    void finish() {
        open_ = false;
        p_.endBulk();
    }
    ProfileBulk(const ProfileBulk&) = delete;
    ProfileBulk& operator=(const ProfileBulk&) = delete;

private:
    ProfileAccess& p_;
    bool open_ = true;
};

}  // namespace tessaly::profile

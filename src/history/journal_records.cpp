#include "journal_records.h"

#include "cards/card_layout.h"
#include "cards/staged_card_files.h"

#include <zlib.h>
#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace tessaly::history {

namespace {

using store::Card;
using store::CardPlace;
using store::CardState;
using store::CardTransition;

constexpr char kMagic[2] = {'T', 'J'};
constexpr qsizetype kFrameBytes = 2 + 1 + 4 + 8;  // magic, type, length, checksum
constexpr quint32 kMaxListItems = 1'000'000;

QByteArray Checksum(char type, QByteArrayView payload) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(QByteArrayView(&type, 1));
    hash.addData(payload);
    return hash.result().left(8);
}

// What qCompress packed, only when its stream gives exactly the length its header names, at most a
// record's: qUncompress grows its buffer for as long as a stream goes on, so a few hostile bytes of a
// journal could make it ask for gigabytes.
std::optional<QByteArray> Uncompressed(const QByteArray& packed) {
    if (packed.size() < 4) return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(packed.constData());
    if (length > quint32(kMaxRecordBytes)) return std::nullopt;
    QByteArray out(qsizetype(length), Qt::Uninitialized);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()) + 4);
    z.avail_in = uInt(packed.size() - 4);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(length);
    const bool whole = inflate(&z, Z_FINISH) == Z_STREAM_END && z.avail_out == 0;
    inflateEnd(&z);
    if (!whole) return std::nullopt;
    return out;
}

void WriteImage(QDataStream& out, const FileImage& image) {
    out << image.name << bool(image.bytes);
    if (image.bytes) out << qCompress(*image.bytes, 1);
}

void WriteState(QDataStream& out, const CardState& state) {
    out << quint8(state.place);
    for (const QString& value : state.fields) out << value;
}

// Reading fails on anything out of place; the stream's status says so once at the end.
class Reader {
public:
    explicit Reader(QDataStream& in) : in_(in) {}

    quint32 count() {
        quint32 n = 0;
        in_ >> n;
        if (n > kMaxListItems) fail();
        return n;
    }
    FileImage image() {
        FileImage image;
        bool exists = false;
        in_ >> image.name >> exists;
        // Only card files, named plainly: a journal never makes anything else be written.
        if (!store::IsCardFileName(image.name) || image.name.contains(u'/')) fail();
        if (exists) {
            QByteArray packed;
            in_ >> packed;
            if (ok()) {
                if (std::optional<QByteArray> bytes = Uncompressed(packed))
                    image.bytes = std::move(bytes);
                else
                    fail();
            }
        }
        return image;
    }
    CardState state() {
        CardState state;
        quint8 place = 0;
        in_ >> place;
        if (place > quint8(CardPlace::Deleted)) fail();
        state.place = CardPlace(place);
        for (QString& value : state.fields) in_ >> value;
        return state;
    }
    store::CardStates states() {
        store::CardStates states;
        QByteArray packed;
        in_ >> packed;
        const std::optional<QByteArray> bytes = ok() ? Uncompressed(packed) : std::nullopt;
        if (!bytes) {
            fail();
            return states;
        }
        QDataStream in(*bytes);
        in.setVersion(QDataStream::Qt_6_0);
        Reader read(in);
        for (quint32 i = 0, n = read.count(); i < n && read.ok(); ++i) {
            const QString recNo = read.value<QString>();
            if (!store::IsRecordNumber(recNo)) read.fail();
            states.insert(recNo, read.state());
        }
        if (!read.ok() || !in.atEnd()) fail();
        return states;
    }
    template <typename T>
    T value() {
        T v{};
        in_ >> v;
        return v;
    }
    void fail() { in_.setStatus(QDataStream::ReadCorruptData); }
    bool ok() const { return in_.status() == QDataStream::Ok; }

private:
    QDataStream& in_;
};

QByteArray States(const store::CardStates& states) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << quint32(states.size());
    for (auto it = states.cbegin(); it != states.cend(); ++it) {
        out << it.key();
        WriteState(out, it.value());
    }
    return bytes;
}

QByteArray Payload(const Record& r) {
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << quint64(r.id);
    switch (r.type) {
        case RecordType::Begin:
            out << quint8(r.operation) << quint64(r.target) << qint64(r.timeMs) << r.text;
            break;
        case RecordType::FileBefore:
            out << r.wholeSet;
            WriteImage(out, r.file);
            break;
        case RecordType::Commit:
            out << r.text << quint8(r.kind) << quint32(r.cards.size());
            for (const CardTransition& t : r.cards) {
                out << t.recNo;
                WriteState(out, t.before);
                WriteState(out, t.after);
            }
            out << quint32(r.after.size());
            for (const FileImage& image : r.after) WriteImage(out, image);
            out << qCompress(States(r.states), 1) << r.carried;
            break;
        case RecordType::Abort:
            break;
    }
    return payload;
}

Record ParsePayload(RecordType type, const QByteArray& payload) {
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_6_0);
    Reader read(in);
    Record r;
    r.type = type;
    r.id = read.value<quint64>();
    switch (type) {
        case RecordType::Begin: {
            const quint8 op = read.value<quint8>();
            if (op > quint8(Operation::Redo)) read.fail();
            r.operation = Operation(op);
            r.target = read.value<quint64>();
            r.timeMs = read.value<qint64>();
            r.text = read.value<QString>();
            break;
        }
        case RecordType::FileBefore:
            r.wholeSet = read.value<bool>();
            r.file = read.image();
            break;
        case RecordType::Commit: {
            r.text = read.value<QString>();
            const quint8 kind = read.value<quint8>();
            if (kind > quint8(EntryKind::Files)) read.fail();
            r.kind = EntryKind(kind);
            for (quint32 i = 0, n = read.count(); i < n && read.ok(); ++i) {
                CardTransition t;
                t.recNo = read.value<QString>();
                if (!store::IsRecordNumber(t.recNo)) read.fail();
                t.before = read.state();
                t.after = read.state();
                r.cards << std::move(t);
            }
            for (quint32 i = 0, n = read.count(); i < n && read.ok(); ++i) r.after << read.image();
            r.states = read.states();
            // Counted here: QDataStream would reserve room for as many texts as a hostile count names.
            for (quint32 i = 0, n = read.count(); i < n && read.ok(); ++i) r.carried << read.value<QString>();
            for (const QString& recNo : r.carried)
                if (!store::IsRecordNumber(recNo)) read.fail();
            break;
        }
        case RecordType::Abort:
            break;
    }
    if (!read.ok() || !in.atEnd()) throw JournalDamaged("a record of the history cannot be read");
    return r;
}

}  // namespace

QByteArray EncodeRecord(const Record& record) {
    const QByteArray payload = Payload(record);
    QByteArray framed;
    framed.reserve(kFrameBytes + payload.size());
    framed.append(kMagic, 2);
    framed.append(char(record.type));
    char length[4];
    qToLittleEndian<quint32>(quint32(payload.size()), length);
    framed.append(length, 4);
    framed.append(Checksum(char(record.type), payload));
    framed.append(payload);
    return framed;
}

QList<Record> DecodeRecords(const QByteArray& bytes, qsizetype* validLength) {
    QList<Record> records;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype left = bytes.size() - at;
        if (left < kFrameBytes) break;  // cut short at the end
        const char* frame = bytes.constData() + at;
        if (frame[0] != kMagic[0] || frame[1] != kMagic[1])
            throw JournalDamaged("the history holds something that is not a record");
        const char type = frame[2];
        if (type < char(RecordType::Begin) || type > char(RecordType::Abort))
            throw JournalDamaged("the history holds a record of an unknown kind");
        const quint32 length = qFromLittleEndian<quint32>(frame + 3);
        if (length > kMaxRecordBytes) throw JournalDamaged("the history holds a record larger than any it writes");
        if (left < kFrameBytes + qsizetype(length)) break;  // cut short at the end
        const QByteArrayView payload(frame + kFrameBytes, length);
        const bool last = at + kFrameBytes + qsizetype(length) == bytes.size();
        if (Checksum(type, payload) != QByteArrayView(frame + 7, 8)) {
            if (last) break;  // the last write, torn
            throw JournalDamaged("a record of the history is damaged");
        }
        records << ParsePayload(RecordType(type), payload.toByteArray());
        at += kFrameBytes + length;
    }
    if (validLength) *validLength = at;
    return records;
}

}  // namespace tessaly::history

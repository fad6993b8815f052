#include "profile_document.h"

#include "text_codec.h"
#include "value_form.h"

#include <QVarLengthArray>
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tessaly::profile {
namespace {

using LineEnd = ProfileDocument::LineEnd;

const QByteArray kBom("\xEF\xBB\xBF");

QByteArrayView endBytes(LineEnd end) {
    switch (end) {
        case LineEnd::None:
            return {};
        case LineEnd::Lf:
            return "\n";
        case LineEnd::Cr:
            return "\r";
        case LineEnd::CrLf:
            return "\r\n";
        case LineEnd::CrCrLf:
            return "\r\r\n";
    }
    return {};
}

// The line end that starts at 'at' (a CR or LF) and its length.
std::pair<LineEnd, qsizetype> lineEndAt(QByteArrayView bytes, qsizetype at) {
    if (bytes[at] == '\n') return {LineEnd::Lf, 1};
    const auto next = [&](qsizetype i, char c) { return at + i < bytes.size() && bytes[at + i] == c; };
    if (next(1, '\r') && next(2, '\n')) return {LineEnd::CrCrLf, 3};
    if (next(1, '\n')) return {LineEnd::CrLf, 2};
    return {LineEnd::Cr, 1};
}

// The section name of a header line, or nothing when the line is no header.
// NUL bytes before the bracket are padding of the file, not part of a key.
std::optional<QByteArrayView> headerName(QByteArrayView line) {
    while (!line.isEmpty() && line.front() == '\0') line = line.sliced(1);
    const QByteArrayView t = trimmedView(line);
    if (t.isEmpty() || t.front() != '[') return std::nullopt;
    const qsizetype close = t.lastIndexOf(']');
    if (close < 1) return std::nullopt;
    return trimmedView(t.sliced(1, close - 1));
}

// The first line or section with a name wins, as with the Windows routines.
template <typename Map, typename Value>
void insertFirst(Map& map, const QByteArray& name, Value value) {
    if (!map.contains(name)) map.insert(name, value);
}

bool isAsciiOnly(QStringView s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80) return false;
    return true;
}

bool isAsciiOnly(const char16_t* name, qsizetype size) {
    return isAsciiOnly(QStringView(name, size));
}

// Eight bytes at a time: every key line of a section split is checked.
bool isAsciiOnly(const char* name, qsizetype size) {
    std::uint64_t any = 0;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, name + i, sizeof word);
        any |= word;
    }
    for (; i < size; ++i) any |= static_cast<unsigned char>(name[i]);
    return (any & 0x8080808080808080ull) == 0;
}

bool isAsciiOnly(QByteArrayView s) {
    return isAsciiOnly(s.data(), s.size());
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool isNameSpace(char16_t u) {
    return u == ' ' || (u >= 0x09 && u <= 0x0D) || u == 0x1A;
}

QStringView trimmedName(QStringView s) {
    while (!s.isEmpty() && isNameSpace(s.front().unicode())) s = s.sliced(1);
    while (!s.isEmpty() && isNameSpace(s.back().unicode())) s.chop(1);
    return s;
}

// A hash of a name in small ASCII letters, 0 when the name has other bytes.
// It runs for every key line read, so it takes only the length and the first
// and last four letters: names that share those are told apart by comparing
// them in full, which a search does anyway.
std::uint32_t mixNameHash(std::uint32_t front, std::uint32_t back, qsizetype size) {
    const std::uint64_t edges = ((std::uint64_t(front) | std::uint64_t(back) << 32) | 0x2020202020202020ull) ^
                                (std::uint64_t(size) * 0xC2B2AE3D27D4EB4Full);
    const auto h = std::uint32_t((edges * 0x9E3779B97F4A7C15ull) >> 32);
    return h == 0 ? 1 : h;
}

// The first four letters and the last four, a byte each from the lowest; a
// short name repeats its letters.
template <typename Char>
std::uint32_t edgesHash(const Char* name, qsizetype size) {
    if (!isAsciiOnly(name, size)) return 0;
    if (size == 0) return 1;
    std::uint32_t front = 0, back = 0;
    for (qsizetype i = 0; i < 4; ++i) {
        front |= std::uint32_t(static_cast<std::uint8_t>(name[std::min<qsizetype>(i, size - 1)])) << (8 * i);
        back |= std::uint32_t(static_cast<std::uint8_t>(name[std::max<qsizetype>(size - 4 + i, 0)])) << (8 * i);
    }
    return mixNameHash(front, back, size);
}

std::uint32_t asciiNameHash(const char16_t* name, qsizetype size) {
    return edgesHash(name, size);
}

// The same for the bytes of a key line, each four letters read at once.
std::uint32_t asciiNameHash(const char* name, qsizetype size) {
    if (std::endian::native != std::endian::little || size < 4) return edgesHash(name, size);
    std::uint32_t front, back;
    std::memcpy(&front, name, sizeof front);
    std::memcpy(&back, name + size - 4, sizeof back);
    const bool ascii = size <= 8 ? ((front | back) & 0x80808080u) == 0 : isAsciiOnly(name, size);
    return ascii ? mixNameHash(front, back, size) : 0;
}

constexpr std::size_t kLinearSearchLimit = 32;

// FNV-1a over a folded name, its bits mixed at the end: section names differ
// in their last digits, and the table takes the low bits.
std::uint64_t hashFolded(const char* folded, qsizetype size) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (qsizetype i = 0; i < size; ++i) h = (h ^ static_cast<unsigned char>(folded[i])) * 0x100000001B3ull;
    return (h ^ (h >> 29)) * 0xBF58476D1CE4E5B9ull;
}

// A hash of a section name as foldName folds it, short ASCII names folded on the stack.
std::uint64_t foldedNameHash(QByteArrayView name) {
    const QByteArrayView t = trimmedView(name);
    char folded[64];
    if (t.size() > qsizetype(sizeof folded) || !isAsciiOnly(t)) {
        const QByteArray f = foldName(name);
        return hashFolded(f.constData(), f.size());
    }
    std::transform(t.begin(), t.end(), folded, lowerAscii);
    return hashFolded(folded, t.size());
}

std::uint64_t foldedNameHash(QStringView trimmed) {
    char folded[64];
    if (trimmed.size() > qsizetype(sizeof folded) || !isAsciiOnly(trimmed)) {
        const QByteArray f = foldName(trimmed.toString());
        return hashFolded(f.constData(), f.size());
    }
    for (qsizetype i = 0; i < trimmed.size(); ++i) folded[i] = lowerAscii(static_cast<char>(trimmed[i].unicode()));
    return hashFolded(folded, trimmed.size());
}

// A section's name as read against a name asked for, without its blanks; both fold alike.
bool sameFoldedName(QByteArrayView read, QStringView trimmed) {
    const bool sameLength = read.size() == trimmed.size();
    if (sameLength && isAsciiOnly(read) && isAsciiOnly(trimmed))
        return std::equal(trimmed.begin(), trimmed.end(), read.begin(),
                          [](QChar a, char b) { return lowerAscii(static_cast<char>(a.unicode())) == lowerAscii(b); });
    if (!sameLength && isAsciiOnly(read) && isAsciiOnly(trimmed)) return false;
    return foldName(read) == foldName(trimmed.toString());
}

// Eight ASCII bytes with their capitals made small, all at once: adding to a
// byte below 0x80 never carries into the next.
std::uint64_t lowerAscii8(std::uint64_t x) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    const std::uint64_t fromA = x + ones * (0x80 - 'A');      // top bit set from 'A' on
    const std::uint64_t pastZ = x + ones * (0x80 - 'Z' - 1);  // top bit set past 'Z'
    return x | ((fromA & ~pastZ & (ones * 0x80)) >> 2);
}

// An ASCII key that folds to a name already in small letters of the same length.
bool isFoldedAscii(QByteArrayView key, const QByteArray& folded) {
    const char* a = key.data();
    const char* b = folded.constData();
    qsizetype j = 0;
    for (; j + 8 <= key.size(); j += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + j, sizeof x);
        std::memcpy(&y, b + j, sizeof y);
        if (lowerAscii8(x) != y) return false;
    }
    for (; j < key.size(); ++j)
        if (lowerAscii(a[j]) != b[j]) return false;
    return true;
}

// The first of the bytes Cs from 'at' on, or 'stop'. Sixteen bytes at a time
// while all of them lie before 'stop', so nothing beyond the section is read.
template <char... Cs>
const char* findFirstOf(const char* at, const char* stop) {
#ifdef __SSE2__
    while (stop - at >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i hits = (_mm_cmpeq_epi8(bytes, _mm_set1_epi8(Cs)) | ...);
        if (const unsigned mask = unsigned(_mm_movemask_epi8(hits))) return at + __builtin_ctz(mask);
        at += 16;
    }
#endif
    while (at < stop && ((*at != Cs) && ...)) ++at;
    return at;
}

}  // namespace

// What a scan for several ASCII key names needs, made once for the names a
// caller keeps asking for (start-up asks every card for the same eight).
struct KeyScanPlan {
    static constexpr std::size_t kMost = 16;
    static constexpr qsizetype kLongest = 63;
    std::vector<QString> keys;
    std::array<QByteArray, kMost> folded;                // each name in small letters
    std::array<std::uint16_t, kLongest + 1> byLength{};  // which keys have each length
    // Which keys a line's first and second byte allow, indexed by the byte with
    // bit 0x20 set: that folds ASCII case and only ever lets more lines through.
    std::array<std::uint16_t, 128> byFirst{}, bySecond{};
    // False for a name that is not ASCII or too long to be one we write; those
    // take the parsed lines.
    bool usable = true;

    explicit KeyScanPlan(std::span<const QString> asked) : keys(asked.begin(), asked.end()) {
        if (keys.size() > kMost) {
            usable = false;
            return;
        }
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const QStringView name = trimmedName(keys[i]);
            if (name.isEmpty() || !isAsciiOnly(name) || name.size() > kLongest) {
                usable = false;
                return;
            }
            folded[i] = foldName(keys[i]);
            const auto bit = std::uint16_t(1u << i);
            byLength[name.size()] |= bit;
            byFirst[name[0].unicode() | 0x20u] |= bit;
            if (name.size() > 1)
                bySecond[name[1].unicode() | 0x20u] |= bit;
            else  // a one-letter name is followed by its '=' or a blank
                for (char c : {'=', ' ', '\t', '\v', '\f', '\x1a'}) bySecond[static_cast<unsigned>(c) | 0x20u] |= bit;
        }
    }
    bool isFor(std::span<const QString> asked) const {
        return std::equal(asked.begin(), asked.end(), keys.begin(), keys.end());
    }
};

namespace {

// Finds the lines of several ASCII-named keys straight in a section's bytes,
// without splitting it into lines: the first line with each name wins, as a
// lookup in the parsed lines would find. 'found' gets, for each key seen,
// everything after its '=' up to the line end; the bits returned say which.
std::uint16_t scanKeys(QByteArrayView body, const KeyScanPlan& plan,
                       std::array<QByteArrayView, KeyScanPlan::kMost>& found) {
    constexpr qsizetype kLongest = KeyScanPlan::kLongest;
    const std::vector<QString>& keys = plan.keys;
    const auto& byLength = plan.byLength;
    const auto& byFirst = plan.byFirst;
    const auto& bySecond = plan.bySecond;
    const std::uint16_t all = std::uint16_t((1u << keys.size()) - 1);
    const char* at = body.data();
    const char* const stop = at + body.size();
    // Which keys a line may hold, by its first two bytes. Bytes that are not
    // ASCII may fold to any letters, so such a line is read in full.
    auto mayHold = [&](const char* line) -> std::uint16_t {
        const auto b0 = static_cast<unsigned char>(line[0]);
        const auto b1 = static_cast<unsigned char>(line + 1 < stop ? line[1] : '\n');
        if ((b0 | b1) >= 0x80) return all;
        return byFirst[b0 | 0x20u] & bySecond[b1 | 0x20u];
    };
    std::uint16_t seen = 0;  // a bit per key
    // What each byte is to a key line, looked up rather than compared.
    enum : std::uint8_t { kEnd = 1, kBlank = 2 };
    static constexpr auto kClass = [] {
        std::array<std::uint8_t, 256> c{};
        c['\r'] = c['\n'] = kEnd;
        for (unsigned char blank : {' ', '\t', '\v', '\f', '\x1a'}) c[blank] = kBlank;
        return c;
    }();
    auto is = [](const char* p, std::uint8_t what) { return (kClass[static_cast<unsigned char>(*p)] & what) != 0; };
    auto toLineEnd = [&] { at = findFirstOf<'\r', '\n'>(at, stop); };
    auto pastLineEnd = [&] {
        toLineEnd();
        if (at < stop) at += (*at == '\r' && at + 1 < stop && at[1] == '\n') ? 2 : 1;
    };
    while (seen != all && at < stop) {
        // A key line as the parser reads it: not blank, no ';' first, an '='
        // before the line ends at a CR or an LF. Any CR ends a line here, which
        // only adds empty lines (CR LF), and those hold no key.
        while (at < stop && is(at, kBlank)) ++at;
        if (at == stop) break;
        if (is(at, kEnd)) {
            ++at;
            continue;
        }
        // Most lines of a card hold none of the keys asked for, and their first
        // two bytes say so.
        const std::uint16_t wanted = *at == ';' ? 0 : mayHold(at) & std::uint16_t(~seen);
        if (!wanted) {
            pastLineEnd();
            continue;
        }
        const char* keyBegin = at;
        at = findFirstOf<'=', '\r', '\n'>(at, stop);
        if (at == stop) break;
        if (is(at, kEnd)) {
            pastLineEnd();
            continue;
        }
        const char* keyEnd = at;
        while (keyEnd > keyBegin && isProfileSpace(keyEnd[-1])) --keyEnd;
        const QByteArrayView key(keyBegin, keyEnd);
        const char* valueBegin = ++at;
        toLineEnd();
        const QByteArrayView value(valueBegin, at);
        if (at < stop) at += (*at == '\r' && at + 1 < stop && at[1] == '\n') ? 2 : 1;
        const bool ascii = isAsciiOnly(key);
        // A key that is not ASCII may still fold to an ASCII name.
        std::uint16_t candidates = ascii ? (key.size() <= kLongest ? byLength[key.size()] : 0) & wanted : wanted;
        for (std::size_t i = 0; candidates; ++i, candidates >>= 1) {
            if (!(candidates & 1u)) continue;
            if (ascii ? !isFoldedAscii(key, plan.folded[i]) : foldName(key) != foldName(keys[i])) continue;
            found[i] = value;
            seen |= std::uint16_t(1u << i);
        }
    }
    return seen;
}

void scanValues(QByteArrayView body, const KeyScanPlan& plan, ValueScratch& scratch, const ValueSink& take) {
    std::array<QByteArrayView, KeyScanPlan::kMost> found;
    const std::uint16_t seen = scanKeys(body, plan, found);
    for (std::size_t i = 0; i < plan.keys.size(); ++i)
        take(i, (seen >> i) & 1u ? readValue(found[i], scratch) : QStringView());
}
// QByteArray's own append goes through its insert, at several times the cost.
void appendBytes(QByteArray& to, QByteArrayView bytes) {
    const qsizetype at = to.size();
    to.resize(at + bytes.size());
    std::memcpy(to.data() + at, bytes.data(), size_t(bytes.size()));
}

// Bytes whose last line is not empty and ends with 'eol' alone.
bool endsWithLineAndEnd(QByteArrayView bytes, QByteArrayView eol) {
    if (bytes.size() <= eol.size() || !bytes.endsWith(eol)) return false;
    const char before = bytes[bytes.size() - eol.size() - 1];
    return before != '\r' && before != '\n';
}

}  // namespace

QByteArray foldName(const QString& name) {
    const QStringView t = trimmedName(name);
    if (isAsciiOnly(t)) {
        QByteArray folded(t.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < t.size(); ++i) folded[i] = lowerAscii(static_cast<char>(t[i].unicode()));
        return folded;
    }
    return t.toString().toCaseFolded().toUtf8();
}

QByteArray foldName(QByteArrayView raw) {
    const QByteArrayView t = trimmedView(raw);
    if (isAsciiOnly(t)) {
        QByteArray folded(t.size(), Qt::Uninitialized);
        std::transform(t.begin(), t.end(), folded.data(), lowerAscii);
        return folded;
    }
    return decodeBytes(t).toCaseFolded().toUtf8();
}

void ProfileDocument::Section::noteKey(const Line& line) {
    if (line.equals < 0 || mayRepeatKeys) return;
    const std::uint64_t bit = std::uint64_t(1) << (line.keyHash & 63);
    if (line.keyHash == 0)
        mayRepeatKeys = true;
    else if (seenHashBits & bit)  // maybe seen: look for the same hash on another line
        for (const Line& other : lines)
            if (&other != &line && other.equals >= 0 && other.keyHash == line.keyHash) mayRepeatKeys = true;
    seenHashBits |= bit;
}

qsizetype ProfileDocument::Section::find(const QString& key, KeyHints& hints) const {
    const QStringView name = trimmedName(key);
    if (lines.size() <= kLinearSearchLimit && isAsciiOnly(name)) {
        // The common case without allocating: an ASCII name against each key line.
        auto same = [&](const Line& line) {
            if (line.keyLength != name.size()) return false;
            const char* k = line.text.constData() + line.keyBegin;
            for (qsizetype j = 0; j < name.size(); ++j)
                if (lowerAscii(k[j]) != lowerAscii(static_cast<char>(name[j].unicode()))) return false;
            return true;
        };
        // The hint's slot comes from the name's length, ends and middle, cheaper
        // than its hash; the factors give every key of a card, and of the
        // header, a slot of its own.
        const auto letter = [&](qsizetype i) {
            return std::uint32_t(lowerAscii(static_cast<char>(name[i].unicode())));
        };
        const std::uint32_t slot = name.isEmpty() ? 0
                                                  : std::uint32_t(name.size()) * 6 + letter(0) * 7 +
                                                        letter(name.size() - 1) * 7 + letter(name.size() / 2) * 3;
        std::int32_t& hint = hints[slot & 63];
        if (!mayRepeatKeys && std::size_t(hint) < lines.size() && lines[hint].equals >= 0 && same(lines[hint]))
            return hint;
        const std::uint32_t hash = asciiNameHash(name.utf16(), name.size());
        // Every key line's hash has its bit unless hints are off: a clear bit means no such key.
        if (!mayRepeatKeys && !(seenHashBits & (std::uint64_t(1) << (hash & 63)))) return -1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            if (line.equals < 0 || (line.keyHash != hash && line.keyHash != 0)) continue;
            if (line.keyHash == 0) {  // a non-ASCII key may still fold to this name
                if (foldName(QByteArrayView(line.text).sliced(line.keyBegin, line.keyLength)) == foldName(key))
                    return qsizetype(i);
                continue;
            }
            if (same(line)) {
                hint = std::int32_t(i);
                return qsizetype(i);
            }
        }
        return -1;
    }
    const QByteArray folded = foldName(key);
    if (lines.size() <= kLinearSearchLimit) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].equals >= 0 &&
                foldName(QByteArrayView(lines[i].text).sliced(lines[i].keyBegin, lines[i].keyLength)) == folded)
                return qsizetype(i);
        return -1;
    }
    if (!indexed) {
        keys.clear();
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].equals >= 0)
                insertFirst(keys, foldName(QByteArrayView(lines[i].text).sliced(lines[i].keyBegin, lines[i].keyLength)),
                            qsizetype(i));
        indexed = true;
    }
    return keys.value(folded, -1);
}

ProfileDocument::Line ProfileDocument::keyLine(QByteArray text, LineEnd end) {
    Line line{std::move(text), -1, 0, 0, 0, end};
    const void* found = std::memchr(line.text.constData(), '=', size_t(line.text.size()));
    if (found) noteEquals(line, static_cast<const char*>(found) - line.text.constData());
    return line;
}

void ProfileDocument::noteEquals(Line& line, qsizetype equals) {
    // A key line: before its first '=', something other than blanks that does not start with ';'.
    const char* begin = line.text.constData();
    qsizetype first = 0;
    while (first < equals && isProfileSpace(begin[first])) ++first;
    if (begin[first] == ';') return;
    qsizetype keyEnd = equals;
    while (keyEnd > first && isProfileSpace(begin[keyEnd - 1])) --keyEnd;
    line.equals = std::int32_t(equals);
    line.keyBegin = std::int32_t(first);
    line.keyLength = std::int32_t(keyEnd - first);
    line.keyHash = asciiNameHash(begin + first, keyEnd - first);
}

void ProfileDocument::Section::parseLines(std::size_t& sizeHint) {
    if (parsed) return;
    parsed = true;
    lines.reserve(sizeHint);  // the sections of a file tend to be alike
    const char* const stop = body.data() + body.size();
    for (const char* at = body.data(); at < stop;) {
        // The first '=' and the line end, each found sixteen bytes at a time;
        // the line then reads as keyLine would read it.
        const char* equals = findFirstOf<'=', '\r', '\n'>(at, stop);
        const char* end = (equals < stop && *equals == '=') ? findFirstOf<'\r', '\n'>(equals + 1, stop) : equals;
        const auto [lineEnd, endLength] =
            end < stop ? lineEndAt(QByteArrayView(at, stop), end - at) : std::pair{LineEnd::None, qsizetype(0)};
        Line line{QByteArray::fromRawData(at, end - at), -1, 0, 0, 0, lineEnd};
        line.asRead = true;
        if (equals < end) noteEquals(line, equals - at);
        lines.push_back(std::move(line));
        noteKey(lines.back());
        at = end + endLength;
    }
    sizeHint = lines.size() + 1;
}

ProfileDocument ProfileDocument::parse(const QByteArray& bytes) {
    ProfileDocument doc;
    doc.bytes_ = bytes;
    QByteArrayView rest(doc.bytes_);
    if (rest.startsWith(kBom)) {
        doc.bom_ = true;
        rest = rest.sliced(kBom.size());
    }
    const char* const begin = rest.data();
    const char* const stop = begin + rest.size();
    auto lineEndFrom = [stop](const char* from) {
        const void* cr = std::memchr(from, '\r', size_t(stop - from));
        const void* lf = std::memchr(from, '\n', size_t(stop - from));
        return std::min(cr ? static_cast<const char*>(cr) : stop, lf ? static_cast<const char*>(lf) : stop);
    };
    auto endAt = [&](const char* at) {
        return at < stop ? lineEndAt(rest, at - begin) : std::pair{LineEnd::None, qsizetype(0)};
    };
    if (const auto [end, length] = endAt(lineEndFrom(begin)); end != LineEnd::None) doc.eol_ = end;

    // Only the headers are found here: a line whose first byte other than
    // blanks and NULs is '[' and that reads as a header. The lines between
    // them wait in each section's body.
    const char* sectionBegin = begin;
    doc.sections_.emplace_back();  // lines before the first header
    doc.sections_.back().body = QByteArrayView(begin, stop);
    doc.sections_.back().parsed = false;
    auto closeSection = [&](const char* end) {
        Section& last = doc.sections_.back();
        last.readBytes = QByteArrayView(sectionBegin, end);
        last.body = QByteArrayView(last.body.data(), end);
        last.changed = false;
        sectionBegin = end;
    };
    auto isLead = [](char c) { return c == '\0' || (isProfileSpace(c) && c != '\r' && c != '\n'); };
    std::vector<std::uint64_t> nameHashes;
    nameHashes.reserve(128);
    for (const char* cursor = begin; cursor < stop;) {
        const void* found = std::memchr(cursor, '[', size_t(stop - cursor));
        if (!found) break;
        const char* bracket = static_cast<const char*>(found);
        const char* lineStart = bracket;
        while (lineStart > begin && isLead(lineStart[-1])) --lineStart;
        const char* lineEnd = lineEndFrom(bracket);
        cursor = lineEnd;
        if (lineStart != begin && lineStart[-1] != '\r' && lineStart[-1] != '\n') continue;
        const QByteArrayView text(lineStart, lineEnd);
        const auto name = headerName(text);
        if (!name) continue;
        closeSection(lineStart);
        const auto [end, length] = endAt(lineEnd);
        cursor = lineEnd + length;
        Section section;
        section.header = QByteArray::fromRawData(text.data(), text.size());
        section.headerEnd = end;
        section.headerAsRead = true;
        section.body = QByteArrayView(cursor, cursor);
        section.parsed = false;
        section.name = *name;
        section.nameHash = foldedNameHash(*name);
        nameHashes.push_back(section.nameHash);
        doc.sections_.push_back(std::move(section));
    }
    closeSection(stop);
    // Nearly every file names each section once, which distinct hashes of the
    // names prove without an index; the index is then built when a reader first
    // looks for a section out of the file's order.
    std::sort(nameHashes.begin(), nameHashes.end());
    const bool distinct = std::adjacent_find(nameHashes.begin(), nameHashes.end()) == nameHashes.end();
    if (!distinct) doc.indexSections();
    for (std::size_t i = 1; i < doc.sections_.size(); ++i)
        doc.sections_[i].firstWithName = distinct || doc.slotOfName(doc.sections_[i]) == i + 1;
    return doc;
}

void ProfileDocument::indexSections() const {
    if (!sectionSlots_.empty()) return;
    // Only sections as read are there when it is first built: adding one builds it first.
    growSectionSlots(sections_.size());
}

// Room for twice the sections at least, so that a probe soon meets an empty slot.
void ProfileDocument::growSectionSlots(std::size_t sections) const {
    sectionSlots_.assign(std::max<std::size_t>(16, std::bit_ceil(2 * sections)), 0);
    for (std::size_t i = 1; i < sections_.size(); ++i) addSectionSlot(i);
}

// The slot of the first section with 'hash' whose name 'same' accepts, or the
// empty slot where such a section would go.
template <typename Same>
std::uint32_t& ProfileDocument::slotFor(std::uint64_t hash, Same same) const {
    const std::size_t mask = sectionSlots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        std::uint32_t& held = sectionSlots_[slot];
        if (held == 0 || (sections_[held - 1].nameHash == hash && same(sections_[held - 1]))) return held;
    }
}

std::uint32_t& ProfileDocument::slotOfName(const Section& s) const {
    return slotFor(s.nameHash, [&](const Section& other) { return foldName(other.name) == foldName(s.name); });
}

void ProfileDocument::addSectionSlot(std::size_t at) const {
    std::uint32_t& held = slotOfName(sections_[at]);
    if (held == 0) held = std::uint32_t(at + 1);  // else the first with the name keeps it
}

QByteArray ProfileDocument::serialize() const {
    // Room for the longest form first (three bytes of line end, and of a line
    // end added after a last line that had none): a file of new cards is written
    // without growing the buffer.
    qsizetype room = kBom.size();
    for (const Section& section : sections_) {
        if (!section.changed) {
            room += section.readBytes.size() + 3;
            continue;
        }
        room += section.header.size() + 6 + (section.parsed ? 0 : section.body.size() + 3);
        for (const Line& line : section.lines) room += line.text.size() + 6;
    }
    // Copied straight into a buffer of that size: a file of new cards is
    // hundreds of thousands of short pieces.
    QByteArray out(room, Qt::Uninitialized);
    char* to = out.data();
    auto write = [&](QByteArrayView bytes) {
        if (bytes.isEmpty()) return;
        if (bytes.size() > out.constData() + out.size() - to) {  // never, while the count above holds
            const qsizetype used = to - out.constData();
            out.resize(std::max(2 * out.size(), used + bytes.size()));
            to = out.data() + used;
        }
        std::memcpy(to, bytes.data(), size_t(bytes.size()));
        to += bytes.size();
    };
    if (bom_) write(kBom);
    // Lines as read are copied in runs straight from the file's bytes; a write
    // changes a line or two of a card file, so a replace is mostly one copy.
    const char* runBegin = nullptr;
    const char* runEnd = nullptr;
    auto endRun = [&] {
        if (runBegin) write(QByteArrayView(runBegin, runEnd));
        runBegin = runEnd = nullptr;
    };
    // A line that had no end (the file's last) gets one when lines follow it.
    bool openLine = false;
    auto put = [&](const QByteArray& text, LineEnd end, bool asRead) {
        if (asRead && !openLine) {
            const char* at = text.constData();
            if (at != runEnd) {
                endRun();
                runBegin = at;
            }
            runEnd = at + text.size() + endBytes(end).size();
        } else {
            endRun();
            if (openLine) write(endBytes(eol_));
            write(text);
            write(endBytes(end));
        }
        openLine = end == LineEnd::None;
    };
    for (const Section& section : sections_) {
        if (!section.changed && !openLine) {  // a card no write touched: its bytes as read, whole
            if (section.readBytes.isEmpty()) continue;
            if (section.readBytes.data() != runEnd) {
                endRun();
                runBegin = section.readBytes.data();
            }
            runEnd = section.readBytes.data() + section.readBytes.size();
            openLine = runEnd[-1] != '\r' && runEnd[-1] != '\n';
            continue;
        }
        if (!section.header.isNull()) put(section.header, section.headerEnd, section.headerAsRead);
        if (!section.parsed && !section.body.isEmpty()) {  // its bytes as read, or as written into whole
            endRun();
            if (openLine) write(endBytes(eol_));
            write(section.body);
            openLine = section.body.back() != '\r' && section.body.back() != '\n';
        }
        for (const Line& line : section.lines) put(line.text, line.end, line.asRead);
    }
    endRun();
    out.truncate(to - out.constData());
    return out;
}

const ProfileDocument::Section* ProfileDocument::findSection(const QString& name) const {
    if (lastSectionAt_ >= 0 && name == lastSectionName_) return &sections_[lastSectionAt_];
    // Cards are mostly read in the order of the file: try the section after the
    // last one first (section 0 holds the lines before the first header).
    if (const std::size_t next = std::size_t(std::max<qsizetype>(lastSectionAt_ + 1, 1)); next < sections_.size()) {
        const Section& s = sections_[next];
        const QStringView t = trimmedName(name);
        if (s.firstWithName && s.name.size() == t.size() && isAsciiOnly(t) &&
            std::equal(t.begin(), t.end(), s.name.begin(),
                       [](QChar a, char b) { return lowerAscii(static_cast<char>(a.unicode())) == lowerAscii(b); })) {
            lastSectionName_ = name;
            lastSectionAt_ = qsizetype(next);
            return &s;
        }
    }
    const QStringView t = trimmedName(name);
    const std::uint64_t hash = foldedNameHash(t);
    indexSections();
    const std::uint32_t held = slotFor(hash, [&](const Section& s) { return sameFoldedName(s.name, t); });
    if (held == 0) return nullptr;
    lastSectionName_ = name;
    lastSectionAt_ = qsizetype(held - 1);
    return &sections_[held - 1];
}

ProfileDocument::Section* ProfileDocument::findSection(const QString& name) {
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

bool ProfileDocument::hasSection(const QString& section) const {
    return findSection(section) != nullptr;
}

std::optional<QString> ProfileDocument::value(const QString& section, const QString& key) {
    Section* s = findSection(section);
    if (!s) return std::nullopt;
    s->parseLines(lineCountHint_);
    const qsizetype at = s->find(key, keyHints_);
    if (at < 0) return std::nullopt;
    const Line& line = s->lines[at];
    return readValue(QByteArrayView(line.text).sliced(line.equals + 1));
}

std::optional<QStringList> ProfileDocument::values(const QString& section, std::span<const QString> keys) {
    QStringList values;
    values.reserve(qsizetype(keys.size()));
    if (!visitValues(section, keys, [&](std::size_t, QStringView value) { values << value.toString(); })) return {};
    return values;
}

bool ProfileDocument::visitValues(const QString& section, std::span<const QString> keys, const ValueSink& take) {
    Section* s = findSection(section);
    if (!s) return false;
    ValueScratch scratch;
    if (!s->parsed) {
        if (!keyScan_ || !keyScan_->isFor(keys)) keyScan_ = std::make_shared<const KeyScanPlan>(keys);
        if (keyScan_->usable) {
            scanValues(s->body, *keyScan_, scratch, take);
            return true;
        }
    }
    s->parseLines(lineCountHint_);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const qsizetype at = s->find(keys[i], keyHints_);
        const Line* line = at < 0 ? nullptr : &s->lines[at];
        take(i, line ? readValue(QByteArrayView(line->text).sliced(line->equals + 1), scratch) : QStringView());
    }
    return true;
}

// A sort rewrites a few links of every card: the line is changed within the
// section's bytes, which are split into lines only when a later look needs it.
// One scan finds the lines of all the keys written lately, and later writes to
// the section use what it found. Nothing when the key is new (it goes after
// the last line that is not blank) or not one a scan can find.
std::optional<bool> ProfileDocument::writeUnsplit(Section& s, const QString& key, QByteArrayView stored) {
    const int k = writeKeyIndex(key);
    // The positions kept are 32-bit: a section that might outgrow them is split instead.
    constexpr qsizetype kMostBytes = std::numeric_limits<std::int32_t>::max();
    if (k < 0 || s.body.size() > kMostBytes - stored.size()) return std::nullopt;
    WrittenLines& lines = s.written;
    if (lines.generation != writeGeneration_) {
        std::array<QByteArrayView, KeyScanPlan::kMost> found;
        lines.generation = writeGeneration_;
        lines.seen = scanKeys(s.body, *writePlan_, found);
        for (std::size_t i = 0; i < writeKeys_.size(); ++i) {
            const bool seen = (lines.seen >> i) & 1u;
            lines.valueAt[i] = seen ? std::int32_t(found[i].data() - s.body.data()) : 0;
            lines.valueEnd[i] = seen ? lines.valueAt[i] + std::int32_t(found[i].size()) : 0;
        }
    }
    if (!((lines.seen >> k) & 1u)) return std::nullopt;
    const std::int32_t at = lines.valueAt[k];
    const QByteArrayView old = s.body.sliced(at, lines.valueEnd[k] - at);
    if (old.size() == stored.size() && std::memcmp(old.data(), stored.constData(), size_t(stored.size())) == 0)
        return false;
    if (s.body.data() != s.ownBody.constData()) s.ownBody = s.body.toByteArray();
    s.ownBody.replace(at, old.size(), stored);
    s.body = s.ownBody;
    s.changed = true;
    // The lines after it moved; another name for the same line ends where it does.
    const auto moved = std::int32_t(stored.size() - old.size());
    for (std::size_t i = 0; i < writeKeys_.size(); ++i) {
        if (!((lines.seen >> i) & 1u)) continue;
        if (lines.valueAt[i] > at) {
            lines.valueAt[i] += moved;
            lines.valueEnd[i] += moved;
        } else if (lines.valueAt[i] == at) {
            lines.valueEnd[i] = at + std::int32_t(stored.size());
        }
    }
    return true;
}

// Where 'key' is among the keys written lately, adding it when it is not; -1
// for a name a scan cannot find.
int ProfileDocument::writeKeyIndex(const QString& key) {
    for (std::size_t i = 0; i < writeKeys_.size(); ++i)
        if (writeKeys_[i] == key) return int(i);
    if (!KeyScanPlan(std::span(&key, 1)).usable) return -1;
    if (writeKeys_.size() == kWriteKeys) writeKeys_.clear();
    writeKeys_.push_back(key);
    writePlan_ = std::make_shared<const KeyScanPlan>(writeKeys_);
    ++writeGeneration_;  // what sections found for the old keys no longer holds
    return int(writeKeys_.size() - 1);
}

ProfileDocument::Section& ProfileDocument::addSection(const QString& name) {
    // Keep a blank line between sections, as the Windows routines do.
    Section& last = sections_.back();
    const QByteArrayView eol = endBytes(eol_);
    if (!last.parsed && endsWithLineAndEnd(last.body, eol)) {  // a new card's, say: onto its bytes
        if (last.body.data() != last.ownBody.constData()) last.ownBody = last.body.toByteArray();
        last.ownBody += eol;
        last.body = last.ownBody;
        last.changed = true;
    } else {
        last.parseLines(lineCountHint_);
        if (!(sections_.size() == 1 && last.lines.empty()) &&
            (last.lines.empty() || !last.lines.back().text.isEmpty())) {
            last.lines.push_back(Line{QByteArray(""), -1, 0, 0, 0, eol_});
            last.changed = true;
        }
    }
    Section section;
    section.header = '[' + encodeText(trimmedName(name).toString(), bom_) + ']';
    section.headerEnd = eol_;
    section.name = QByteArrayView(section.header).sliced(1, section.header.size() - 2);
    section.nameHash = foldedNameHash(trimmedName(name));
    section.firstWithName = true;
    indexSections();
    sections_.push_back(std::move(section));
    if (2 * sections_.size() > sectionSlots_.size())
        growSectionSlots(sections_.size());
    else
        addSectionSlot(sections_.size() - 1);
    return sections_.back();
}

bool ProfileDocument::setValue(const QString& section, const QString& key, const QString& value) {
    Section* s = findSection(section);
    if (!s) s = &addSection(section);
    // A link or a count, nearly every value a sort writes, is narrowed on the stack.
    QVarLengthArray<char, 32> narrowed;
    QByteArray encoded;
    QByteArrayView stored;
    if (storedAsItIs(value)) {
        narrowed.resize(value.size());
        std::transform(value.begin(), value.end(), narrowed.begin(), [](QChar c) { return char(c.unicode()); });
        stored = QByteArrayView(narrowed.data(), narrowed.size());
    } else {
        encoded = storedValue(value, bom_);
        stored = encoded;
    }
    if (!s->parsed)
        if (const std::optional<bool> changed = writeUnsplit(*s, key, stored)) return *changed;
    s->parseLines(lineCountHint_);
    const qsizetype found = s->find(key, keyHints_);
    if (found >= 0) {
        Line& line = s->lines[found];
        // A sort writes every link, most of them as they are: those lines keep their bytes.
        const qsizetype valueAt = line.equals + 1;
        if (line.text.size() - valueAt == stored.size() &&
            std::memcmp(line.text.constData() + valueAt, stored.data(), size_t(stored.size())) == 0)
            return false;
        s->changed = true;
        QByteArray text(line.equals + 1 + stored.size(), Qt::Uninitialized);
        std::memcpy(text.data(), line.text.constData(), size_t(line.equals + 1));
        std::memcpy(text.data() + line.equals + 1, stored.data(), size_t(stored.size()));
        line = keyLine(std::move(text), line.end);
        return true;
    }
    s->changed = true;
    // A new key goes after the section's last non-blank line.
    qsizetype at = qsizetype(s->lines.size());
    while (at > 0 && trimmedView(s->lines[at - 1].text).isEmpty()) --at;
    const auto inserted = s->lines.insert(s->lines.begin() + at, keyLine(newKeyLine(trimmedName(key), stored), eol_));
    s->noteKey(*inserted);
    s->indexed = false;
    return true;
}

}  // namespace tessaly::profile

namespace tessaly::profile {

QByteArray ProfileDocument::newKeyLine(QStringView name, QByteArrayView stored) const {
    if (!isAsciiOnly(name)) {
        QByteArray text = encodeText(name.toString(), bom_) + '=';
        appendBytes(text, stored);
        return text;
    }
    // Every key we write: no codec, one allocation.
    QByteArray text(name.size() + 1 + stored.size(), Qt::Uninitialized);
    char* out = text.data();
    for (qsizetype i = 0; i < name.size(); ++i) out[i] = static_cast<char>(name[i].unicode());
    out[name.size()] = '=';
    std::memcpy(out + name.size() + 1, stored.data(), size_t(stored.size()));
    return text;
}

// A new card's key line, appended to the bytes of its section.
void ProfileDocument::appendKeyLine(QByteArray& to, QStringView name, const QString& value) const {
    if (!isAsciiOnly(name) || !storedAsItIs(value)) {
        appendBytes(to, newKeyLine(name, storedValue(value, bom_)));
        return;
    }
    // Name, '=' and value narrowed, into room reserved beforehand.
    const qsizetype at = to.size();
    to.resize(at + name.size() + 1 + value.size());
    char* out = std::transform(name.begin(), name.end(), to.data() + at, [](QChar c) { return char(c.unicode()); });
    *out++ = '=';
    std::transform(value.begin(), value.end(), out, [](QChar c) { return char(c.unicode()); });
}

bool ProfileDocument::setValues(const QString& section, std::span<const QString> keys,
                                std::span<const QString> values) {
    const std::size_t n = std::min(keys.size(), values.size());
    if (findSection(section)) {
        bool changed = false;
        for (std::size_t i = 0; i < n; ++i) changed = setValue(section, keys[i], values[i]) || changed;
        return changed;
    }
    // A new card's section: its keys go in as given, unless two of them may be one name.
    if (!distinctNames(keys.first(n))) {
        for (std::size_t k = 0; k < n; ++k) setValue(section, keys[k], values[k]);
        return true;
    }
    // Its lines go straight into the section's bytes, split only when a look needs it.
    const QByteArrayView eol = endBytes(eol_);
    qsizetype room = 0;
    for (std::size_t i = 0; i < n; ++i) room += keys[i].size() + 1 + values[i].size() + eol.size();
    QByteArray body;
    body.reserve(room);
    for (std::size_t i = 0; i < n; ++i) {
        appendKeyLine(body, trimmedName(keys[i]), values[i]);
        appendBytes(body, eol);
    }
    Section& s = addSection(section);
    s.ownBody = std::move(body);
    s.body = s.ownBody;
    s.parsed = false;
    return true;
}

bool ProfileDocument::distinctNames(std::span<const QString> keys) {
    // An import gives every card the same names: those found distinct last time are compared as texts.
    if (std::equal(keys.begin(), keys.end(), distinctNames_.begin(), distinctNames_.end())) return true;
    // Names are told apart by the hash key lines have first: a card has 24 of them.
    QVarLengthArray<QStringView, 32> names;
    QVarLengthArray<std::uint32_t, 32> hashes;
    for (const QString& key : keys) {
        const QStringView name = trimmedName(key);
        const std::uint32_t hash = asciiNameHash(name.utf16(), name.size());
        if (hash == 0) return false;  // not ASCII: may fold to another name
        for (qsizetype j = 0; j < names.size(); ++j)
            if (hashes[j] == hash && names[j].compare(name, Qt::CaseInsensitive) == 0) return false;
        names.append(name);
        hashes.append(hash);
    }
    distinctNames_.assign(keys.begin(), keys.end());
    return true;
}

}  // namespace tessaly::profile

#include "profile_document.h"

#include "text_codec.h"
#include "value_form.h"

namespace tessaly::profile {
namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray detectEol(const QByteArray& bytes) {
    const qsizetype i = bytes.indexOf('\r');
    const qsizetype j = bytes.indexOf('\n');
    if (i < 0 && j < 0) return "\r\n";  // new or one-line files get the Windows line end
    if (i >= 0 && (j < 0 || i < j)) return (i + 1 < bytes.size() && bytes[i + 1] == '\n') ? "\r\n" : "\r";
    return "\n";
}

// The section name of a header line, or nothing when the line is no header.
std::optional<QByteArrayView> headerName(QByteArrayView line) {
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

}  // namespace

QByteArray foldName(const QString& name) {
    if (isAsciiOnly(name)) {
        QByteArray folded = name.toLatin1();
        const QByteArrayView t = trimmedView(folded);
        if (t.size() != folded.size()) folded = t.toByteArray();
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        return folded;
    }
    return name.trimmed().toCaseFolded().toUtf8();
}

QByteArray foldName(QByteArrayView raw) {
    const QByteArrayView t = trimmedView(raw);
    bool ascii = true;
    for (char c : t) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return t.toByteArray().toLower();
    return decodeBytes(t).toCaseFolded().toUtf8();
}

namespace {

constexpr std::size_t kLinearSearchLimit = 32;

QByteArrayView keyOf(const QByteArray& text, qsizetype equals) { return trimmedView(QByteArrayView(text).first(equals)); }

bool sameName(QByteArrayView raw, const QByteArray& folded) {
    bool ascii = true;
    for (char c : raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii) return foldName(raw) == folded;
    return raw.size() == folded.size() && qstrnicmp(raw.data(), raw.size(), folded.constData(), folded.size()) == 0;
}

}  // namespace

qsizetype ProfileDocument::Section::find(const QByteArray& foldedKey) const {
    if (lines.size() <= kLinearSearchLimit) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].equals >= 0 && sameName(keyOf(lines[i].text, lines[i].equals), foldedKey)) return i;
        return -1;
    }
    if (!indexed) {
        keys.clear();
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].equals >= 0) insertFirst(keys, foldName(keyOf(lines[i].text, lines[i].equals)), qsizetype(i));
        indexed = true;
    }
    return keys.value(foldedKey, -1);
}

ProfileDocument ProfileDocument::parse(const QByteArray& bytes) {
    ProfileDocument doc;
    doc.bytes_ = bytes;
    QByteArrayView rest(doc.bytes_);
    if (rest.startsWith(kBom)) {
        doc.bom_ = true;
        rest = rest.sliced(kBom.size());
    }
    doc.eol_ = detectEol(bytes);
    doc.sections_.emplace_back();  // lines before the first header
    while (!rest.isEmpty()) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n') ++end;
        const QByteArrayView text = rest.first(end);
        qsizetype next = end;
        if (next < rest.size()) next += (rest[next] == '\r' && next + 1 < rest.size() && rest[next + 1] == '\n') ? 2 : 1;
        rest = rest.sliced(next);

        if (const auto name = headerName(text)) {
            Section section;
            section.header = text.toByteArray();
            insertFirst(doc.sectionIndex_, foldName(*name), doc.sections_.size());
            doc.sections_.push_back(std::move(section));
            continue;
        }
        Section& section = doc.sections_.back();
        Line line{QByteArray::fromRawData(text.data(), text.size()), -1};
        const QByteArrayView t = trimmedView(text);
        if (!t.isEmpty() && t.front() != ';') line.equals = text.indexOf('=');
        section.lines.push_back(std::move(line));
    }
    return doc;
}

QByteArray ProfileDocument::serialize() const {
    QByteArray out;
    if (bom_) out += kBom;
    for (const Section& section : sections_) {
        if (!section.header.isNull()) out += section.header + eol_;
        for (const Line& line : section.lines) out += line.text + eol_;
    }
    return out;
}

const ProfileDocument::Section* ProfileDocument::findSection(const QString& name) const {
    const auto it = sectionIndex_.constFind(foldName(name));
    return it == sectionIndex_.cend() ? nullptr : &sections_[*it];
}

ProfileDocument::Section* ProfileDocument::findSection(const QString& name) {
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

bool ProfileDocument::hasSection(const QString& section) const { return findSection(section) != nullptr; }

std::optional<QString> ProfileDocument::value(const QString& section, const QString& key) const {
    const Section* s = findSection(section);
    if (!s) return std::nullopt;
    const qsizetype at = s->find(foldName(key));
    if (at < 0) return std::nullopt;
    const Line& line = s->lines[at];
    return readValue(QByteArrayView(line.text).sliced(line.equals + 1));
}

ProfileDocument::Section& ProfileDocument::addSection(const QString& name) {
    // Keep a blank line between sections, as the Windows routines do.
    Section& last = sections_.back();
    if (!(sections_.size() == 1 && last.lines.empty()) && (last.lines.empty() || !last.lines.back().text.isEmpty()))
        last.lines.push_back(Line{QByteArray(""), -1});
    Section section;
    section.header = '[' + encodeText(name.trimmed(), bom_) + ']';
    insertFirst(sectionIndex_, foldName(name), sections_.size());
    sections_.push_back(std::move(section));
    return sections_.back();
}

void ProfileDocument::setValue(const QString& section, const QString& key, const QString& value) {
    Section* s = findSection(section);
    if (!s) s = &addSection(section);
    const QByteArray stored = storedValue(value, bom_);
    const qsizetype found = s->find(foldName(key));
    if (found >= 0) {
        Line& line = s->lines[found];
        line.text = keyOf(line.text, line.equals).toByteArray() + '=' + stored;
        line.equals = line.text.indexOf('=');
        return;
    }
    // A new key goes after the section's last non-blank line.
    qsizetype at = s->lines.size();
    while (at > 0 && trimmedView(s->lines[at - 1].text).isEmpty()) --at;
    const QByteArray name = encodeText(key.trimmed(), bom_);
    s->lines.insert(s->lines.begin() + at, Line{name + '=' + stored, name.size()});
    s->indexed = false;
}

}  // namespace tessaly::profile

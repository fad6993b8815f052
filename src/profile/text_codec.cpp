#include "text_codec.h"

#include <QStringDecoder>
#include <array>
#include <optional>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tessaly::profile {
namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes map to the C1 controls,
// as the Windows conversion routines do, so every byte decodes and re-encodes.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *dst++ = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

std::optional<char> cp1252Byte(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == u) return static_cast<char>(0x80 + i);
    return std::nullopt;
}

// A value may begin with U+FEFF: it is text, not a byte order mark to skip.
constexpr auto kDecoderFlags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

bool isValidUtf8(QByteArrayView bytes) {
    if (isAscii(bytes)) return true;
    QStringDecoder decoder(QStringDecoder::Utf8, kDecoderFlags);
    QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

qsizetype widenAscii(QByteArrayView bytes, char16_t* to) {
    const char* from = bytes.data();
    qsizetype i = 0;
#ifdef __SSE2__
    for (; i + 8 <= bytes.size(); i += 8) {  // eight at a time while all are ASCII
        const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + i));
        if (_mm_movemask_epi8(eight) & 0xFF) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_unpacklo_epi8(eight, _mm_setzero_si128()));
    }
#endif
    for (; i < bytes.size() && static_cast<unsigned char>(from[i]) < 0x80; ++i) to[i] = char16_t(from[i]);
    return i;
}

QString decodeBytes(QByteArrayView bytes) {
    if (bytes.isEmpty()) return QString::fromLatin1(bytes);
    // ASCII, nearly every value read: checked and widened in one pass.
    QString ascii(bytes.size(), Qt::Uninitialized);
    if (widenAscii(bytes, reinterpret_cast<char16_t*>(ascii.data())) == bytes.size()) return ascii;
    QStringDecoder decoder(QStringDecoder::Utf8, kDecoderFlags);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? decodeCp1252(bytes) : text;
}

QByteArray encodeText(const QString& text, bool forceUtf8) {
    if (!forceUtf8) {
        QByteArray cp(text.size(), Qt::Uninitialized);
        bool fits = true;
        for (qsizetype i = 0; i < text.size() && fits; ++i) {
            const auto b = cp1252Byte(text.at(i).unicode());
            if (b)
                cp[i] = *b;
            else
                fits = false;
        }
        if (fits && (isAscii(cp) || !isValidUtf8(cp))) return cp;
    }
    return text.toUtf8();
}

}  // namespace tessaly::profile

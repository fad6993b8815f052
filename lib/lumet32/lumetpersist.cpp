// Saving and loading the control's properties as a byte stream.
//
// Layout (little-endian): "LuMt", u32 format version, then the stock
// properties (BackColor u32, ForeColor u32, Enabled u8, font), then the
// control's own in exchange order: Percent i16, BevelOuter i16, BevelBar i16,
// BevelWidthBar i16, TextBackColor u32, TextForeColor u32, BorderWidth i16,
// BevelInner i16, Caption text, BevelWidthOuter i16, BevelWidthInner i16.
// Text is a u32 byte count and UTF-8. The font is a u8 flag (0: the host's
// font) and, when 1, family text, f64 size (points, or minus pixels), u16
// weight, u8 style bits (1 italic, 2 underline, 4 strike-out).
#include "lumetctrl.h"

#include <QFont>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const char Magic[4] = { 'L', 'u', 'M', 't' };

struct Values
{
    quint32 backColor = 0x00C0C0C0;
    quint32 foreColor = 0x00FF0000;
    bool enabled = true;
    bool ownFont = false;
    QFont font;
    short percent = 0;
    short bevelOuter = CLumetCtrl::kvBevelRaised;
    short bevelBar = CLumetCtrl::kvBevelNone;
    short widthBar = 1;
    quint32 textBackColor = 0x00FFFFFF;
    quint32 textForeColor = 0x00FF0000;
    short borderWidth = 1;
    short bevelInner = CLumetCtrl::kvBevelLowered;
    QString caption;
    short widthOuter = 1;
    short widthInner = 1;
};

} // namespace

// One exchange routine serves saving and loading, so the two orders cannot drift.
class LumetPropExchange
{
public:
    explicit LumetPropExchange(QByteArray *out)
        : m_out(out)
    { }
    explicit LumetPropExchange(const QByteArray &in)
        : m_in(in)
    { }

    bool loading() const { return m_out == nullptr; }
    bool ok() const { return m_ok; }
    // True when every value read was kept.
    bool complete() const { return m_ok && !m_dropped; }

    template <typename T> void number(T &value)
    {
        if (!loading()) {
            char raw[sizeof(T)];
            qToLittleEndian(value, raw);
            m_out->append(raw, sizeof(T));
            return;
        }
        const char *raw = take(sizeof(T));
        if (raw) // on a short read the value keeps its default
            value = qFromLittleEndian<T>(raw);
    }

    void flag(bool &value)
    {
        quint8 b = value ? 1 : 0;
        number(b);
        value = b != 0;
    }

    void text(QString &value)
    {
        if (!loading()) {
            const QByteArray utf8 = value.toUtf8();
            quint32 n = quint32(utf8.size());
            number(n);
            m_out->append(utf8);
            return;
        }
        quint32 n = 0;
        const char *len = take(sizeof n);
        if (!len)
            return;
        n = qFromLittleEndian<quint32>(len);
        const char *raw = take(n); // a length beyond the end fails here
        if (raw)
            value = QString::fromUtf8(raw, qsizetype(n));
    }

    void font(bool &own, QFont &value)
    {
        flag(own);
        if (!own || !m_ok)
            return;
        QString family = value.family();
        double size = value.pointSizeF() > 0 ? value.pointSizeF() : -double(value.pixelSize());
        // A larger font (set through QWidget::setFont) is kept at the largest size a load accepts.
        size = std::clamp(size, -CLumetCtrl::MaxFontSize, CLumetCtrl::MaxFontSize);
        quint16 weight = quint16(value.weight());
        quint8 style = quint8((value.italic() ? 1 : 0) | (value.underline() ? 2 : 0) | (value.strikeOut() ? 4 : 0));
        text(family);
        number(size);
        number(weight);
        number(style);
        if (!loading())
            return;
        if (!m_ok) {
            own = false;
            return;
        }
        // A damaged record gives the host's font back rather than an unusable one,
        // and the load reports that it lost a value.
        if (family.isEmpty() || !std::isfinite(size) || size == 0 || std::abs(size) > CLumetCtrl::MaxFontSize
            || weight < 1 || weight > 1000) {
            own = false;
            m_dropped = true;
            return;
        }
        QFont f(family);
        if (size > 0)
            f.setPointSizeF(size);
        else
            f.setPixelSize(int(-size));
        f.setWeight(QFont::Weight(weight));
        f.setItalic(style & 1);
        f.setUnderline(style & 2);
        f.setStrikeOut(style & 4);
        value = f;
    }

    void header(quint32 &version)
    {
        if (!loading()) {
            m_out->append(Magic, sizeof Magic);
        } else {
            const char *magic = take(sizeof Magic);
            if (!magic || std::memcmp(magic, Magic, sizeof Magic) != 0) {
                m_ok = false;
                return;
            }
        }
        number(version);
    }

private:
    const char *take(quint32 n)
    {
        if (!m_ok || quint64(m_in.size() - m_pos) < n) {
            m_ok = false;
            return nullptr;
        }
        const char *p = m_in.constData() + m_pos;
        m_pos += n;
        return p;
    }

    QByteArray *m_out = nullptr;
    QByteArray m_in;
    qsizetype m_pos = 0;
    bool m_ok = true;
    bool m_dropped = false;

public:
    // Returns false when the custom part is of a format this build cannot read.
    static bool exchange(LumetPropExchange &px, Values &v, quint32 &version)
    {
        px.header(version);
        if (!px.ok())
            return true;
        px.number(v.backColor);
        px.number(v.foreColor);
        px.flag(v.enabled);
        px.font(v.ownFont, v.font);
        // Another major format version lays out the control's own properties differently.
        if ((version >> 16) != (CLumetCtrl::StateVersion >> 16))
            return false;
        px.number(v.percent);
        px.number(v.bevelOuter);
        px.number(v.bevelBar);
        px.number(v.widthBar);
        px.number(v.textBackColor);
        px.number(v.textForeColor);
        px.number(v.borderWidth);
        px.number(v.bevelInner);
        px.text(v.caption);
        px.number(v.widthOuter);
        px.number(v.widthInner);
        return true;
    }
};

QByteArray CLumetCtrl::saveState() const
{
    Values v;
    v.backColor = m_backColor;
    v.foreColor = m_foreColor;
    v.enabled = isEnabled();
    v.ownFont = testAttribute(Qt::WA_SetFont);
    v.font = font();
    v.percent = m_percent;
    v.bevelOuter = m_bevelOuter;
    v.bevelBar = m_bevelBar;
    v.widthBar = m_bevelWidthBar;
    v.textBackColor = m_textBackColor;
    v.textForeColor = m_textForeColor;
    v.borderWidth = m_borderWidth;
    v.bevelInner = m_bevelInner;
    v.caption = m_caption;
    v.widthOuter = m_bevelWidthOuter;
    v.widthInner = m_bevelWidthInner;
    QByteArray out;
    LumetPropExchange px(&out);
    quint32 version = StateVersion;
    LumetPropExchange::exchange(px, v, version);
    return out;
}

CLumetCtrl::StateLoad CLumetCtrl::loadState(const QByteArray &state)
{
    Values v;
    LumetPropExchange px(state);
    quint32 version = 0;
    const bool sameFormat = LumetPropExchange::exchange(px, v, version);
    const bool readable = state.size() >= 8 && std::memcmp(state.constData(), Magic, sizeof Magic) == 0;
    if (!readable)
        v = Values();

    // Values pass the setters' checks; a bevel style out of range takes its default.
    const Values d;
    setBackColor(v.backColor);
    setForeColor(v.foreColor);
    setEnabled(v.enabled);
    setFont(v.ownFont ? v.font : QFont());
    setPercent(v.percent);
    setBevelOuter(isValidBevel(v.bevelOuter) ? v.bevelOuter : d.bevelOuter);
    setBevelBar(isValidBevel(v.bevelBar) ? v.bevelBar : d.bevelBar);
    setBevelInner(isValidBevel(v.bevelInner) ? v.bevelInner : d.bevelInner);
    setBevelWidthBar(v.widthBar);
    setTextBackColor(v.textBackColor);
    setTextForeColor(v.textForeColor);
    setBorderWidth(v.borderWidth);
    setCaption(v.caption);
    setBevelWidthOuter(v.widthOuter);
    setBevelWidthInner(v.widthInner);

    if (!readable)
        return StateLoad::Unreadable;
    if (!sameFormat)
        return StateLoad::OtherVersion;
    return px.complete() ? StateLoad::Complete : StateLoad::Incomplete;
}

#include "lumetctrl.h"

#include "lumetobjects.h"
#include "lumetqt.h"
#include "lumetrender.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr short DefaultPercent = 0;
constexpr short DefaultBevelOuter = CLumetCtrl::kvBevelRaised;
constexpr short DefaultBevelBar = CLumetCtrl::kvBevelNone;
constexpr short DefaultBevelInner = CLumetCtrl::kvBevelLowered;
constexpr short DefaultWidth = 1;
constexpr quint32 DefaultTextBackColor = 0x00FFFFFF; // white
constexpr quint32 DefaultTextForeColor = 0x00FF0000; // blue (0x00BBGGRR)
constexpr quint32 DefaultBackColor = 0x00C0C0C0; // light grey
constexpr quint32 DefaultForeColor = 0x00FF0000; // blue

short widthValue(int value)
{
    return short(std::clamp(value, 0, 32767));
}

} // namespace

CLumetCtrl::CLumetCtrl(QWidget *parent)
    : QWidget(parent)
    , m_percent(DefaultPercent)
    , m_bevelOuter(DefaultBevelOuter)
    , m_bevelBar(DefaultBevelBar)
    , m_bevelWidthBar(DefaultWidth)
    , m_textBackColor(DefaultTextBackColor)
    , m_textForeColor(DefaultTextForeColor)
    , m_borderWidth(DefaultWidth)
    , m_bevelInner(DefaultBevelInner)
    , m_bevelWidthOuter(DefaultWidth)
    , m_bevelWidthInner(DefaultWidth)
    , m_backColor(DefaultBackColor)
    , m_foreColor(DefaultForeColor)
{
    Lumet::objectCreated();
    Lumet::registerQtSupport();
    setObjectName(QStringLiteral("Lumet"));
    // Every pixel comes from the off-screen bitmap.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // MouseMove fires without a button held, as hosts expect.
    setMouseTracking(true);
}

CLumetCtrl::~CLumetCtrl()
{
    Lumet::objectDestroyed();
}

void CLumetCtrl::resetState()
{
    setPercent(DefaultPercent);
    setBevelOuter(DefaultBevelOuter);
    setBevelBar(DefaultBevelBar);
    setBevelWidthBar(DefaultWidth);
    setTextBackColor(DefaultTextBackColor);
    setTextForeColor(DefaultTextForeColor);
    setBorderWidth(DefaultWidth);
    setBevelInner(DefaultBevelInner);
    setCaption(QString());
    setBevelWidthOuter(DefaultWidth);
    setBevelWidthInner(DefaultWidth);
    setBackColor(DefaultBackColor);
    setForeColor(DefaultForeColor);
    setEnabled(true);
    setFont(QFont()); // back to the host's font
}

bool CLumetCtrl::assign(short &member, int value)
{
    if (member == value)
        return false;
    member = short(value);
    update();
    return true;
}

bool CLumetCtrl::assign(quint32 &member, quint32 value)
{
    if (member == value)
        return false;
    member = value;
    update();
    return true;
}

void CLumetCtrl::setPercent(int value)
{
    if (!assign(m_percent, std::clamp(value, 0, 100)))
        return;
    Lumet::notifyAccessibleValue(this, m_percent);
    Q_EMIT percentChanged(m_percent);
}

void CLumetCtrl::setBevelOuter(int style)
{
    if (isValidBevel(style) && assign(m_bevelOuter, style)) {
        updateGeometry(); // the frame decides the size hint
        Q_EMIT bevelOuterChanged(bevelOuter());
    }
}

void CLumetCtrl::setBevelBar(int style)
{
    if (isValidBevel(style) && assign(m_bevelBar, style))
        Q_EMIT bevelBarChanged(bevelBar());
}

void CLumetCtrl::setBevelInner(int style)
{
    if (isValidBevel(style) && assign(m_bevelInner, style)) {
        updateGeometry(); // the frame decides the size hint
        Q_EMIT bevelInnerChanged(bevelInner());
    }
}

void CLumetCtrl::setBevelWidthBar(int width)
{
    if (assign(m_bevelWidthBar, widthValue(width)))
        Q_EMIT bevelWidthBarChanged(m_bevelWidthBar);
}

void CLumetCtrl::setBevelWidthOuter(int width)
{
    if (assign(m_bevelWidthOuter, widthValue(width))) {
        updateGeometry(); // the frame decides the size hint
        Q_EMIT bevelWidthOuterChanged(m_bevelWidthOuter);
    }
}

void CLumetCtrl::setBevelWidthInner(int width)
{
    if (assign(m_bevelWidthInner, widthValue(width))) {
        updateGeometry(); // the frame decides the size hint
        Q_EMIT bevelWidthInnerChanged(m_bevelWidthInner);
    }
}

void CLumetCtrl::setBorderWidth(int width)
{
    if (assign(m_borderWidth, widthValue(width))) {
        updateGeometry(); // the frame decides the size hint
        Q_EMIT borderWidthChanged(m_borderWidth);
    }
}

void CLumetCtrl::setTextBackColor(quint32 oleColor)
{
    if (assign(m_textBackColor, oleColor))
        Q_EMIT textBackColorChanged();
}

void CLumetCtrl::setTextForeColor(quint32 oleColor)
{
    if (assign(m_textForeColor, oleColor))
        Q_EMIT textForeColorChanged();
}

void CLumetCtrl::setBackColor(quint32 oleColor)
{
    if (assign(m_backColor, oleColor))
        Q_EMIT backColorChanged();
}

void CLumetCtrl::setForeColor(quint32 oleColor)
{
    if (assign(m_foreColor, oleColor))
        Q_EMIT foreColorChanged();
}

quint32 CLumetCtrl::oleColorOf(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

QColor CLumetCtrl::barColor() const
{
    return translateColor(m_foreColor, palette());
}
QColor CLumetCtrl::barTextColor() const
{
    return translateColor(m_textBackColor, palette());
}
QColor CLumetCtrl::emptyColor() const
{
    return translateColor(m_backColor, palette());
}
QColor CLumetCtrl::emptyTextColor() const
{
    return translateColor(m_textForeColor, palette());
}

void CLumetCtrl::setBarColor(const QColor &colour)
{
    if (colour.isValid())
        setForeColor(oleColorOf(colour));
}

void CLumetCtrl::setBarTextColor(const QColor &colour)
{
    if (colour.isValid())
        setTextBackColor(oleColorOf(colour));
}

void CLumetCtrl::setEmptyColor(const QColor &colour)
{
    if (colour.isValid())
        setBackColor(oleColorOf(colour));
}

void CLumetCtrl::setEmptyTextColor(const QColor &colour)
{
    if (colour.isValid())
        setTextForeColor(oleColorOf(colour));
}

void CLumetCtrl::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    update();
    Q_EMIT captionChanged(m_caption);
}

QString CLumetCtrl::version()
{
    return QString::asprintf("%d.%0d0.%03d", 3, 0, 1);
}

QString CLumetCtrl::displayText() const
{
    return m_caption.isEmpty() ? QString::asprintf("%d%%", int(m_percent)) : m_caption;
}

// The font properties change the stock font; setFont repaints.
void CLumetCtrl::applyFont(const QFont &f)
{
    setFont(f);
}

bool CLumetCtrl::fontBold() const
{
    return font().bold();
}
bool CLumetCtrl::fontItalic() const
{
    return font().italic();
}
bool CLumetCtrl::fontStrikethru() const
{
    return font().strikeOut();
}
bool CLumetCtrl::fontUnderline() const
{
    return font().underline();
}
QString CLumetCtrl::fontName() const
{
    return font().family();
}

float CLumetCtrl::fontSize() const
{
    const QFont f = font();
    if (f.pointSizeF() > 0)
        return float(f.pointSizeF());
    return float(f.pixelSize() * 72.0 / logicalDpiY());
}

void CLumetCtrl::setFontBold(bool on)
{
    if (fontBold() == on)
        return;
    QFont f = font();
    f.setBold(on);
    applyFont(f);
}

void CLumetCtrl::setFontItalic(bool on)
{
    if (fontItalic() == on)
        return;
    QFont f = font();
    f.setItalic(on);
    applyFont(f);
}

void CLumetCtrl::setFontStrikethru(bool on)
{
    if (fontStrikethru() == on)
        return;
    QFont f = font();
    f.setStrikeOut(on);
    applyFont(f);
}

void CLumetCtrl::setFontUnderline(bool on)
{
    if (fontUnderline() == on)
        return;
    QFont f = font();
    f.setUnderline(on);
    applyFont(f);
}

void CLumetCtrl::setFontName(const QString &family)
{
    if (family.isEmpty() || fontName() == family)
        return;
    QFont f = font();
    f.setFamily(family);
    applyFont(f);
}

void CLumetCtrl::setFontSize(float points)
{
    if (!(points > 0) || points > MaxFontSize || qFuzzyCompare(fontSize(), points))
        return;
    QFont f = font();
    f.setPointSizeF(points);
    applyFont(f);
}

qulonglong CLumetCtrl::hWnd() const
{
    // The window the control draws into, without forcing a native window.
    return qulonglong(effectiveWinId());
}

QColor CLumetCtrl::translateColor(quint32 oleColor, const QPalette &pal)
{
    if (!(oleColor & 0x80000000u))
        return QColor(int(oleColor & 0xFF), int((oleColor >> 8) & 0xFF), int((oleColor >> 16) & 0xFF));
    // System colour indices 0..24 mapped to the nearest palette role.
    static const QPalette::ColorRole roles[] = {
        QPalette::Mid,
        QPalette::Window,
        QPalette::Highlight,
        QPalette::Window,
        QPalette::Window,
        QPalette::Base,
        QPalette::Shadow,
        QPalette::WindowText,
        QPalette::Text,
        QPalette::HighlightedText,
        QPalette::Window,
        QPalette::Window,
        QPalette::Dark,
        QPalette::Highlight,
        QPalette::HighlightedText,
        QPalette::Button,
        QPalette::Dark,
        QPalette::PlaceholderText,
        QPalette::ButtonText,
        QPalette::WindowText,
        QPalette::Light,
        QPalette::Shadow,
        QPalette::Midlight,
        QPalette::ToolTipText,
        QPalette::ToolTipBase,
    };
    const quint32 index = oleColor & 0xFFFF;
    if ((oleColor & 0x7FFF0000u) != 0 || index >= std::size(roles))
        return QColor(Qt::black);
    return pal.color(QPalette::Active, roles[index]);
}

QImage CLumetCtrl::renderWith(const QSize &size, const QFont &f, int dpiX, int dpiY, qreal dpr) const
{
    const QPalette &pal = palette();
    Lumet::GaugeLook look;
    look.percent = m_percent;
    look.bevelOuter = m_bevelOuter;
    look.bevelInner = m_bevelInner;
    look.bevelBar = m_bevelBar;
    look.widthOuter = m_bevelWidthOuter;
    look.widthInner = m_bevelWidthInner;
    look.widthBar = m_bevelWidthBar;
    look.borderWidth = m_borderWidth;
    look.buttonFace = pal.color(QPalette::Active, QPalette::Button);
    look.backColor = translateColor(m_backColor, pal);
    look.foreColor = translateColor(m_foreColor, pal);
    look.textBackColor = translateColor(m_textBackColor, pal);
    look.textForeColor = translateColor(m_textForeColor, pal);
    look.text = displayText();
    return Lumet::renderGauge(look, size, f, dpiX, dpiY, dpr);
}

QImage CLumetCtrl::renderImage() const
{
    return renderImage(devicePixelRatioF());
}

QImage CLumetCtrl::renderImage(qreal devicePixelRatio) const
{
    return renderWith(size(), font(), logicalDpiX(), logicalDpiY(), devicePixelRatio);
}

QImage CLumetCtrl::renderForDevice(const QSize &extent, int dpiX, int dpiY) const
{
    const int screenX = logicalDpiX();
    const int screenY = logicalDpiY();
    if (dpiX <= 0 || dpiY <= 0)
        return renderWith(extent, font(), screenX, screenY, 1);
    QFont f = font();
    // Height follows the vertical resolution ratio, width the horizontal one.
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * dpiY / screenY);
    else
        f.setPixelSize(std::max(1, qRound(double(f.pixelSize()) * dpiY / screenY)));
    const double ratio = (double(dpiX) / screenX) / (double(dpiY) / screenY);
    if (qAbs(ratio - 1.0) > 1e-6) {
        const int stretch = f.stretch() > 0 ? f.stretch() : 100;
        f.setStretch(std::clamp(qRound(stretch * ratio), 1, 4000));
    }
    return renderWith(extent, f, screenX, screenY, 1);
}

void CLumetCtrl::drawForDevice(QPainter *painter, const QRect &bounds) const
{
    QPaintDevice *device = painter->device();
    const QImage image
        = device ? renderForDevice(bounds.size(), device->logicalDpiX(), device->logicalDpiY()) : renderImage();
    painter->drawImage(bounds.topLeft(), image);
}

void CLumetCtrl::paintEvent(QPaintEvent *)
{
    // One copy of the finished bitmap, so rapid percent updates do not flicker.
    QPainter painter(this);
    painter.drawImage(0, 0, renderImage());
}

void CLumetCtrl::changeEvent(QEvent *event)
{
    // System colours (button face, palette indices) may have changed.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        update();
    QWidget::changeEvent(event); // a font change repaints and updates the geometry there
    if (event->type() == QEvent::FontChange)
        Q_EMIT fontChanged();
}

QSize CLumetCtrl::sizeHint() const
{
    const int o = m_borderWidth + (m_bevelOuter ? m_bevelWidthOuter : 0) + (m_bevelInner ? m_bevelWidthInner : 0);
    const QFontMetrics fm(font());
    return QSize(std::max(150, fm.horizontalAdvance(QStringLiteral("100%")) + 2 * o + 8), fm.height() + 2 * o + 6);
}

QSize CLumetCtrl::minimumSizeHint() const
{
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(QStringLiteral("100%")), fm.height());
}

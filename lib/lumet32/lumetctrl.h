// CLumetCtrl: a bevelled horizontal percent gauge.
//
// Hosts talk to it through its automation interface _DLumet: GetProperty and
// SetProperty by dispatch id (DispId below) with classic error statuses, and
// Invoke for the AboutBox method. Its events _DLumetEvents are Qt signals.
// The typed C++ accessors behind the Q_PROPERTYs apply the same rules.
#ifndef LUMETCTRL_H
#define LUMETCTRL_H

#include "lumet32.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QVariant>
#include <QWidget>

class QDialog;
class QPainter;

class LUMET32_EXPORT CLumetCtrl : public QWidget
{
    Q_OBJECT
    // The automation names; colours as OLE colours (0x00BBGGRR: blue in the high byte).
    Q_PROPERTY(int Percent READ percent WRITE setPercent NOTIFY percentChanged)
    Q_PROPERTY(BevelConstants BevelOuter READ bevelOuter WRITE setBevelOuter NOTIFY bevelOuterChanged)
    Q_PROPERTY(BevelConstants BevelBar READ bevelBar WRITE setBevelBar NOTIFY bevelBarChanged)
    Q_PROPERTY(int BevelWidthBar READ bevelWidthBar WRITE setBevelWidthBar NOTIFY bevelWidthBarChanged)
    Q_PROPERTY(
        quint32 TextBackColor READ textBackColor WRITE setTextBackColor NOTIFY textBackColorChanged DESIGNABLE false)
    Q_PROPERTY(
        quint32 TextForeColor READ textForeColor WRITE setTextForeColor NOTIFY textForeColorChanged DESIGNABLE false)
    Q_PROPERTY(int BorderWidth READ borderWidth WRITE setBorderWidth NOTIFY borderWidthChanged)
    Q_PROPERTY(BevelConstants BevelInner READ bevelInner WRITE setBevelInner NOTIFY bevelInnerChanged)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption NOTIFY captionChanged)
    Q_PROPERTY(int BevelWidthOuter READ bevelWidthOuter WRITE setBevelWidthOuter NOTIFY bevelWidthOuterChanged)
    Q_PROPERTY(int BevelWidthInner READ bevelWidthInner WRITE setBevelWidthInner NOTIFY bevelWidthInnerChanged)
    Q_PROPERTY(QString Version READ version CONSTANT)
    // The font's parts; Qt's own "font" property edits the same font.
    Q_PROPERTY(bool FontBold READ fontBold WRITE setFontBold NOTIFY fontChanged DESIGNABLE false)
    Q_PROPERTY(bool FontItalic READ fontItalic WRITE setFontItalic NOTIFY fontChanged DESIGNABLE false)
    Q_PROPERTY(bool FontStrikethru READ fontStrikethru WRITE setFontStrikethru NOTIFY fontChanged DESIGNABLE false)
    Q_PROPERTY(bool FontUnderline READ fontUnderline WRITE setFontUnderline NOTIFY fontChanged DESIGNABLE false)
    Q_PROPERTY(QString FontName READ fontName WRITE setFontName NOTIFY fontChanged DESIGNABLE false)
    Q_PROPERTY(float FontSize READ fontSize WRITE setFontSize NOTIFY fontChanged DESIGNABLE false)
    Q_PROPERTY(quint32 BackColor READ backColor WRITE setBackColor NOTIFY backColorChanged DESIGNABLE false)
    Q_PROPERTY(quint32 ForeColor READ foreColor WRITE setForeColor NOTIFY foreColorChanged DESIGNABLE false)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled DESIGNABLE false)
    Q_PROPERTY(QFont Font READ font WRITE setFont NOTIFY fontChanged DESIGNABLE false)
    Q_PROPERTY(qulonglong hWnd READ hWnd DESIGNABLE false)
    // The four colours as QColor, by what they paint.
    Q_PROPERTY(QColor barColor READ barColor WRITE setBarColor NOTIFY foreColorChanged)
    Q_PROPERTY(QColor barTextColor READ barTextColor WRITE setBarTextColor NOTIFY textBackColorChanged)
    Q_PROPERTY(QColor emptyColor READ emptyColor WRITE setEmptyColor NOTIFY backColorChanged)
    Q_PROPERTY(QColor emptyTextColor READ emptyTextColor WRITE setEmptyTextColor NOTIFY textForeColorChanged)

public:
    enum BevelConstants {
        kvBevelNone = 0,
        kvBevelRaised = 1,
        kvBevelInset = 2,
        kvBevelLowered = 3,
        kvBevelSolid = 4,
    };
    Q_ENUM(BevelConstants)

    // Dispatch ids of _DLumet and _DLumetEvents; the numbering is part of the
    // interface that hosts compile against.
    enum DispId {
        DispValue = 0, // the control's value: Percent
        DispBevelWidthOuter = 1,
        DispBevelWidthInner = 2,
        DispPercent = 3,
        DispBevelOuter = 4,
        DispBevelBar = 5,
        DispBevelWidthBar = 6,
        DispTextBackColor = 7,
        DispTextForeColor = 8,
        DispBorderWidth = 9,
        DispBevelInner = 10,
        DispCaption = 11,
        DispVersion = 12,
        DispFontBold = 13,
        DispFontItalic = 14,
        DispFontStrikethru = 15,
        DispFontUnderline = 16,
        DispFontName = 17,
        DispFontSize = 18,
        DispBackColor = -501,
        DispFont = -512,
        DispForeColor = -513,
        DispEnabled = -514,
        DispHWnd = -515,
        DispAboutBox = -552,
        DispClick = -600,
        DispDblClick = -601,
        DispMouseDown = -605,
        DispMouseMove = -606,
        DispMouseUp = -607,
    };
    Q_ENUM(DispId)

    // Outcome of loadState().
    enum class StateLoad { Complete, Incomplete, OtherVersion, Unreadable };

    static constexpr quint32 StateVersion = 0x00030000;

    explicit CLumetCtrl(QWidget *parent = nullptr);
    ~CLumetCtrl() override;

    // --- automation interface _DLumet -------------------------------------
    // Reads a property; *status (when given) receives LUMET_S_OK or an error.
    QVariant GetProperty(int dispid, LumetResult *status = nullptr) const;
    // Writes a property with the control's checks; returns the status.
    LumetResult SetProperty(int dispid, const QVariant &value);
    // Calls a method (AboutBox).
    LumetResult Invoke(int dispid);
    // Dispatch id of a member name (case-insensitive), or UnknownName.
    static int DispIdOfName(const QString &name);
    static constexpr int UnknownName = -1000;
    static QString NameOfDispId(int dispid);

    // --- typed properties -------------------------------------------------
    // Setters do nothing when the value is unchanged; otherwise they repaint
    // and emit the property's signal.
    int percent() const { return m_percent; }
    void setPercent(int value); // clamped to 0..100
    BevelConstants bevelOuter() const { return BevelConstants(m_bevelOuter); }
    void setBevelOuter(int style); // outside 0..4: refused, unchanged
    BevelConstants bevelBar() const { return BevelConstants(m_bevelBar); }
    void setBevelBar(int style);
    BevelConstants bevelInner() const { return BevelConstants(m_bevelInner); }
    void setBevelInner(int style);
    // Widths in pixels: negative is stored as 0, above 32767 as 32767.
    int bevelWidthBar() const { return m_bevelWidthBar; }
    void setBevelWidthBar(int width);
    int bevelWidthOuter() const { return m_bevelWidthOuter; }
    void setBevelWidthOuter(int width);
    int bevelWidthInner() const { return m_bevelWidthInner; }
    void setBevelWidthInner(int width);
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);
    // OLE colours: 0x00BBGGRR (note: blue in the high byte, not Qt's 0xRRGGBB),
    // or 0x800000nn for system colour nn.
    quint32 textBackColor() const { return m_textBackColor; }
    void setTextBackColor(quint32 oleColor);
    quint32 textForeColor() const { return m_textForeColor; }
    void setTextForeColor(quint32 oleColor);
    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 oleColor);
    quint32 foreColor() const { return m_foreColor; }
    void setForeColor(quint32 oleColor);
    // The same four colours as QColor (system colours resolved through the
    // palette): barColor is ForeColor, barTextColor TextBackColor, emptyColor
    // BackColor, emptyTextColor TextForeColor. An invalid colour is refused;
    // alpha is dropped.
    QColor barColor() const;
    void setBarColor(const QColor &colour);
    QColor barTextColor() const;
    void setBarTextColor(const QColor &colour);
    QColor emptyColor() const;
    void setEmptyColor(const QColor &colour);
    QColor emptyTextColor() const;
    void setEmptyTextColor(const QColor &colour);
    static quint32 oleColorOf(const QColor &colour);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    static QString version();

    bool fontBold() const;
    void setFontBold(bool on);
    bool fontItalic() const;
    void setFontItalic(bool on);
    bool fontStrikethru() const;
    void setFontStrikethru(bool on);
    bool fontUnderline() const;
    void setFontUnderline(bool on);
    QString fontName() const;
    void setFontName(const QString &family);
    float fontSize() const; // points
    void setFontSize(float points); // refused unless 0 < points <= MaxFontSize
    // The largest font size, in points or pixels, that a saved state keeps.
    static constexpr double MaxFontSize = 2048;
    qulonglong hWnd() const;

    static bool isValidBevel(int style) { return style >= kvBevelNone && style <= kvBevelSolid; }
    // An OLE colour (0x00BBGGRR, or 0x800000nn for system colour nn) as a display colour.
    static QColor translateColor(quint32 oleColor, const QPalette &palette);

    // The text the gauge shows: Caption, or the percentage.
    QString displayText() const;

    // --- persistence ------------------------------------------------------
    QByteArray saveState() const;
    StateLoad loadState(const QByteArray &state);
    void resetState();

    // --- drawing ----------------------------------------------------------
    // The off-screen bitmap exactly as paintEvent puts it on the screen: in
    // device pixels at the screen's device pixel ratio.
    QImage renderImage() const;
    // The same at another device pixel ratio: frame lines grow with it, text
    // is drawn at the full resolution.
    QImage renderImage(qreal devicePixelRatio) const;
    // The gauge for another device: extent in that device's pixels, font
    // scaled by the device's resolution over the screen's.
    QImage renderForDevice(const QSize &extent, int dpiX, int dpiY) const;
    void drawForDevice(QPainter *painter, const QRect &bounds) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // --- method -----------------------------------------------------------
    void AboutBox();
    QDialog *createAboutBox(QWidget *parent = nullptr) const;
    static QPixmap toolboxBitmap();

Q_SIGNALS:
    void percentChanged(int percent);
    void bevelOuterChanged(CLumetCtrl::BevelConstants style);
    void bevelBarChanged(CLumetCtrl::BevelConstants style);
    void bevelInnerChanged(CLumetCtrl::BevelConstants style);
    void bevelWidthBarChanged(int width);
    void bevelWidthOuterChanged(int width);
    void bevelWidthInnerChanged(int width);
    void borderWidthChanged(int width);
    void captionChanged(const QString &caption);
    void textBackColorChanged();
    void textForeColorChanged();
    void backColorChanged();
    void foreColorChanged();
    void fontChanged();

    // _DLumetEvents. Button: 1 left, 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt.
    void Click();
    void DblClick();
    void MouseDown(short Button, short Shift, int x, int y);
    void MouseMove(short Button, short Shift, int x, int y);
    void MouseUp(short Button, short Shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    friend class LumetPropExchange;
    QImage renderWith(const QSize &size, const QFont &font, int dpiX, int dpiY, qreal dpr) const;
    bool assign(short &member, int value);
    bool assign(quint32 &member, quint32 value);
    void applyFont(const QFont &font);

    short m_percent;
    short m_bevelOuter;
    short m_bevelBar;
    short m_bevelWidthBar;
    quint32 m_textBackColor;
    quint32 m_textForeColor;
    short m_borderWidth;
    short m_bevelInner;
    QString m_caption;
    short m_bevelWidthOuter;
    short m_bevelWidthInner;
    quint32 m_backColor;
    quint32 m_foreColor;
    short m_buttonsDown = 0; // buttons pressed inside the control
    short m_doubleClicked = 0; // buttons whose release ends a double-click
};

#endif // LUMETCTRL_H

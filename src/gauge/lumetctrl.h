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
#include <QString>
#include <QVariant>
#include <QWidget>

class QDialog;
class QPainter;

class LUMET32_EXPORT CLumetCtrl : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(short Percent READ percent WRITE setPercent)
    Q_PROPERTY(short BevelOuter READ bevelOuter WRITE setBevelOuter)
    Q_PROPERTY(short BevelBar READ bevelBar WRITE setBevelBar)
    Q_PROPERTY(short BevelWidthBar READ bevelWidthBar WRITE setBevelWidthBar)
    Q_PROPERTY(quint32 TextBackColor READ textBackColor WRITE setTextBackColor)
    Q_PROPERTY(quint32 TextForeColor READ textForeColor WRITE setTextForeColor)
    Q_PROPERTY(short BorderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(short BevelInner READ bevelInner WRITE setBevelInner)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(short BevelWidthOuter READ bevelWidthOuter WRITE setBevelWidthOuter)
    Q_PROPERTY(short BevelWidthInner READ bevelWidthInner WRITE setBevelWidthInner)
    Q_PROPERTY(QString Version READ version)
    Q_PROPERTY(bool FontBold READ fontBold WRITE setFontBold)
    Q_PROPERTY(bool FontItalic READ fontItalic WRITE setFontItalic)
    Q_PROPERTY(bool FontStrikethru READ fontStrikethru WRITE setFontStrikethru)
    Q_PROPERTY(bool FontUnderline READ fontUnderline WRITE setFontUnderline)
    Q_PROPERTY(QString FontName READ fontName WRITE setFontName)
    Q_PROPERTY(float FontSize READ fontSize WRITE setFontSize)
    Q_PROPERTY(quint32 BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(quint32 ForeColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(qulonglong hWnd READ hWnd)

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
    short percent() const { return m_percent; }
    void setPercent(int value); // clamped to 0..100
    short bevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(int style); // outside 0..4: refused, unchanged
    short bevelBar() const { return m_bevelBar; }
    void setBevelBar(int style);
    short bevelInner() const { return m_bevelInner; }
    void setBevelInner(int style);
    short bevelWidthBar() const { return m_bevelWidthBar; }
    void setBevelWidthBar(int width); // negative: 0
    short bevelWidthOuter() const { return m_bevelWidthOuter; }
    void setBevelWidthOuter(int width);
    short bevelWidthInner() const { return m_bevelWidthInner; }
    void setBevelWidthInner(int width);
    short borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);
    quint32 textBackColor() const { return m_textBackColor; }
    void setTextBackColor(quint32 oleColor);
    quint32 textForeColor() const { return m_textForeColor; }
    void setTextForeColor(quint32 oleColor);
    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 oleColor);
    quint32 foreColor() const { return m_foreColor; }
    void setForeColor(quint32 oleColor);
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
    void setFontSize(float points);
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
    // The off-screen bitmap exactly as paintEvent puts it on the screen.
    QImage renderImage() const;
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
    QImage renderWith(const QSize &size, const QFont &font, int dpiX, int dpiY) const;
    void setShort(short &member, int value);
    void setColor(quint32 &member, quint32 value);
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
    short m_buttonsDown = 0;     // buttons pressed inside the control
    short m_doubleClicked = 0;   // buttons whose release ends a double-click
};

#endif // LUMETCTRL_H

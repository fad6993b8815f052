// The automation interface _DLumet: properties by dispatch id, with the
// conversions and error statuses an automation host expects.
#include "lumetctrl.h"

#include <QFont>

#include <cmath>
#include <limits>

namespace {

struct Member
{
    int dispid;
    const char *name;
};

// Names as hosts and the type library spell them.
const Member Members[] = {
    { CLumetCtrl::DispBevelWidthOuter, "BevelWidthOuter" },
    { CLumetCtrl::DispBevelWidthInner, "BevelWidthInner" },
    { CLumetCtrl::DispPercent, "Percent" },
    { CLumetCtrl::DispBevelOuter, "BevelOuter" },
    { CLumetCtrl::DispBevelBar, "BevelBar" },
    { CLumetCtrl::DispBevelWidthBar, "BevelWidthBar" },
    { CLumetCtrl::DispTextBackColor, "TextBackColor" },
    { CLumetCtrl::DispTextForeColor, "TextForeColor" },
    { CLumetCtrl::DispBorderWidth, "BorderWidth" },
    { CLumetCtrl::DispBevelInner, "BevelInner" },
    { CLumetCtrl::DispCaption, "Caption" },
    { CLumetCtrl::DispVersion, "Version" },
    { CLumetCtrl::DispFontBold, "FontBold" },
    { CLumetCtrl::DispFontItalic, "FontItalic" },
    { CLumetCtrl::DispFontStrikethru, "FontStrikethru" },
    { CLumetCtrl::DispFontUnderline, "FontUnderline" },
    { CLumetCtrl::DispFontName, "FontName" },
    { CLumetCtrl::DispFontSize, "FontSize" },
    { CLumetCtrl::DispBackColor, "BackColor" },
    { CLumetCtrl::DispForeColor, "ForeColor" },
    { CLumetCtrl::DispEnabled, "Enabled" },
    { CLumetCtrl::DispFont, "Font" },
    { CLumetCtrl::DispHWnd, "hWnd" },
    { CLumetCtrl::DispAboutBox, "AboutBox" },
};

// A number from any numeric, boolean or numeric-text variant.
bool toNumber(const QVariant &v, double &out)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        out = v.toBool() ? -1 : 0; // automation's True
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        out = v.toDouble();
        return !std::isnan(out);
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = v.toString().trimmed();
        bool ok = false;
        const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
        const qlonglong whole = hex ? text.mid(2).toLongLong(&ok, 16) : text.toLongLong(&ok, 10);
        if (ok) {
            out = double(whole);
            return true;
        }
        if (text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
            out = double(text.mid(2).toLongLong(&ok, 16));
            return ok;
        }
        out = text.toDouble(&ok);
        return ok && !std::isnan(out);
    }
    default:
        return false;
    }
}

LumetResult toShort(const QVariant &v, int &out)
{
    double d;
    if (!toNumber(v, d))
        return LUMET_DISP_E_TYPEMISMATCH;
    d = std::nearbyint(d); // round half to even, as automation does
    if (d < -32768 || d > 32767)
        return LUMET_DISP_E_OVERFLOW;
    out = int(d);
    return LUMET_S_OK;
}

LumetResult toColor(const QVariant &v, quint32 &out)
{
    double d;
    if (!toNumber(v, d))
        return LUMET_DISP_E_TYPEMISMATCH;
    d = std::nearbyint(d);
    // A signed 32-bit value (system colours are negative there) or an unsigned one.
    if (d < -2147483648.0 || d > 4294967295.0)
        return LUMET_DISP_E_OVERFLOW;
    out = d < 0 ? quint32(qint32(d)) : quint32(d);
    return LUMET_S_OK;
}

LumetResult toBool(const QVariant &v, bool &out)
{
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
        const QString text = v.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            out = text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
            return LUMET_S_OK;
        }
    }
    double d;
    if (!toNumber(v, d))
        return LUMET_DISP_E_TYPEMISMATCH;
    out = d != 0;
    return LUMET_S_OK;
}

LumetResult toText(const QVariant &v, QString &out)
{
    double d;
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray)
        out = v.toString();
    else if (v.typeId() == QMetaType::Bool)
        out = v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    else if (toNumber(v, d))
        out = v.toString();
    else
        return LUMET_DISP_E_TYPEMISMATCH;
    return LUMET_S_OK;
}

} // namespace

int CLumetCtrl::DispIdOfName(const QString &name)
{
    for (const Member &m : Members)
        if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
            return m.dispid;
    return UnknownName;
}

QString CLumetCtrl::NameOfDispId(int dispid)
{
    if (dispid == DispValue)
        return QStringLiteral("Percent");
    for (const Member &m : Members)
        if (m.dispid == dispid)
            return QLatin1String(m.name);
    return QString();
}

QVariant CLumetCtrl::GetProperty(int dispid, LumetResult *status) const
{
    if (status)
        *status = LUMET_S_OK;
    switch (dispid) {
    case DispValue:
    case DispPercent:
        return QVariant::fromValue(m_percent);
    case DispBevelWidthOuter:
        return QVariant::fromValue(m_bevelWidthOuter);
    case DispBevelWidthInner:
        return QVariant::fromValue(m_bevelWidthInner);
    case DispBevelOuter:
        return QVariant::fromValue(m_bevelOuter);
    case DispBevelBar:
        return QVariant::fromValue(m_bevelBar);
    case DispBevelWidthBar:
        return QVariant::fromValue(m_bevelWidthBar);
    case DispTextBackColor:
        return QVariant::fromValue(m_textBackColor);
    case DispTextForeColor:
        return QVariant::fromValue(m_textForeColor);
    case DispBorderWidth:
        return QVariant::fromValue(m_borderWidth);
    case DispBevelInner:
        return QVariant::fromValue(m_bevelInner);
    case DispCaption:
        return m_caption;
    case DispVersion:
        return version();
    case DispFontBold:
        return fontBold();
    case DispFontItalic:
        return fontItalic();
    case DispFontStrikethru:
        return fontStrikethru();
    case DispFontUnderline:
        return fontUnderline();
    case DispFontName:
        return fontName();
    case DispFontSize:
        return fontSize();
    case DispBackColor:
        return QVariant::fromValue(m_backColor);
    case DispForeColor:
        return QVariant::fromValue(m_foreColor);
    case DispEnabled:
        return isEnabled();
    case DispFont:
        return font();
    case DispHWnd:
        return hWnd();
    default:
        if (status)
            *status = LUMET_DISP_E_MEMBERNOTFOUND;
        return QVariant();
    }
}

LumetResult CLumetCtrl::SetProperty(int dispid, const QVariant &value)
{
    int n = 0;
    quint32 colour = 0;
    bool flag = false;
    QString text;
    LumetResult r = LUMET_S_OK;
    switch (dispid) {
    case DispValue:
    case DispPercent:
        if ((r = toShort(value, n)) == LUMET_S_OK)
            setPercent(n);
        return r;
    case DispBevelOuter:
    case DispBevelBar:
    case DispBevelInner:
        if ((r = toShort(value, n)) != LUMET_S_OK)
            return r;
        if (!isValidBevel(n))
            return LUMET_CTL_E_INVALIDPROPERTYVALUE;
        if (dispid == DispBevelOuter)
            setBevelOuter(n);
        else if (dispid == DispBevelBar)
            setBevelBar(n);
        else
            setBevelInner(n);
        return r;
    case DispBevelWidthOuter:
    case DispBevelWidthInner:
    case DispBevelWidthBar:
    case DispBorderWidth:
        if ((r = toShort(value, n)) != LUMET_S_OK)
            return r;
        if (dispid == DispBevelWidthOuter)
            setBevelWidthOuter(n);
        else if (dispid == DispBevelWidthInner)
            setBevelWidthInner(n);
        else if (dispid == DispBevelWidthBar)
            setBevelWidthBar(n);
        else
            setBorderWidth(n);
        return r;
    case DispTextBackColor:
    case DispTextForeColor:
    case DispBackColor:
    case DispForeColor:
        if ((r = toColor(value, colour)) != LUMET_S_OK)
            return r;
        if (dispid == DispTextBackColor)
            setTextBackColor(colour);
        else if (dispid == DispTextForeColor)
            setTextForeColor(colour);
        else if (dispid == DispBackColor)
            setBackColor(colour);
        else
            setForeColor(colour);
        return r;
    case DispCaption:
        if ((r = toText(value, text)) == LUMET_S_OK)
            setCaption(text);
        return r;
    case DispFontBold:
    case DispFontItalic:
    case DispFontStrikethru:
    case DispFontUnderline:
    case DispEnabled:
        if ((r = toBool(value, flag)) != LUMET_S_OK)
            return r;
        if (dispid == DispFontBold)
            setFontBold(flag);
        else if (dispid == DispFontItalic)
            setFontItalic(flag);
        else if (dispid == DispFontStrikethru)
            setFontStrikethru(flag);
        else if (dispid == DispFontUnderline)
            setFontUnderline(flag);
        else
            setEnabled(flag);
        return r;
    case DispFontName:
        if ((r = toText(value, text)) != LUMET_S_OK)
            return r;
        if (text.trimmed().isEmpty())
            return LUMET_CTL_E_INVALIDPROPERTYVALUE;
        setFontName(text);
        return r;
    case DispFontSize: {
        double d;
        if (!toNumber(value, d))
            return LUMET_DISP_E_TYPEMISMATCH;
        if (!(d > 0) || d > MaxFontSize)
            return LUMET_CTL_E_INVALIDPROPERTYVALUE;
        setFontSize(float(d));
        return r;
    }
    case DispFont: {
        QFont f;
        if (value.typeId() == QMetaType::QFont)
            f = value.value<QFont>();
        else if (value.typeId() != QMetaType::QString)
            return LUMET_DISP_E_TYPEMISMATCH;
        else if (!f.fromString(value.toString()))
            return LUMET_CTL_E_INVALIDPROPERTYVALUE;
        // A size a saved state could not keep is refused here, not lost on the next load.
        if (f.pointSizeF() > MaxFontSize || f.pixelSize() > MaxFontSize)
            return LUMET_CTL_E_INVALIDPROPERTYVALUE;
        setFont(f);
        return r;
    }
    case DispVersion:
    case DispHWnd:
        return LUMET_CTL_E_SETNOTSUPPORTED;
    default:
        return LUMET_DISP_E_MEMBERNOTFOUND;
    }
}

LumetResult CLumetCtrl::Invoke(int dispid)
{
    if (dispid != DispAboutBox)
        return LUMET_DISP_E_MEMBERNOTFOUND;
    AboutBox();
    return LUMET_S_OK;
}

QString Lumet::errorMessage(LumetResult status)
{
    switch (status) {
    case LUMET_S_OK:
        return QString();
    case LUMET_CTL_E_INVALIDPROPERTYVALUE:
        return QStringLiteral("Invalid property value");
    case LUMET_CTL_E_SETNOTSUPPORTED:
        return QStringLiteral("Property is read-only");
    case LUMET_DISP_E_TYPEMISMATCH:
        return QStringLiteral("Type mismatch");
    case LUMET_DISP_E_OVERFLOW:
        return QStringLiteral("Overflow");
    case LUMET_DISP_E_MEMBERNOTFOUND:
        return QStringLiteral("Object doesn't support this property or method");
    case LUMET_SELFREG_E_TYPELIB:
        return QStringLiteral("The type library could not be registered");
    case LUMET_SELFREG_E_CLASS:
        return QStringLiteral("The classes could not be registered");
    case LUMET_CLASS_E_CLASSNOTAVAILABLE:
        return QStringLiteral("Class not available");
    case LUMET_E_NOINTERFACE:
        return QStringLiteral("No such interface supported");
    case LUMET_E_POINTER:
        return QStringLiteral("Invalid pointer");
    default:
        return QStringLiteral("Error 0x%1").arg(QString::number(quint32(status), 16).toUpper());
    }
}

#include "lumetdesigner.h"

#include "lumetctrl.h"

#include <QIcon>

LumetDesignerPlugin::LumetDesignerPlugin(QObject *parent)
    : QObject(parent)
{ }

QString LumetDesignerPlugin::name() const
{
    return QStringLiteral("CLumetCtrl");
}
QString LumetDesignerPlugin::group() const
{
    return QStringLiteral("Display Widgets");
}
QString LumetDesignerPlugin::toolTip() const
{
    return QStringLiteral("Bevelled percent gauge (lumet32)");
}

QString LumetDesignerPlugin::whatsThis() const
{
    return QStringLiteral("A horizontal percent gauge with a bevelled frame and a centred text "
                          "that changes colour where the bar passes under it.");
}

QString LumetDesignerPlugin::includeFile() const
{
    return QStringLiteral("lumetctrl.h");
}
QIcon LumetDesignerPlugin::icon() const
{
    return QIcon(CLumetCtrl::toolboxBitmap());
}
bool LumetDesignerPlugin::isContainer() const
{
    return false;
}
QWidget *LumetDesignerPlugin::createWidget(QWidget *parent)
{
    return new CLumetCtrl(parent);
}

QString LumetDesignerPlugin::domXml() const
{
    return QStringLiteral(R"(<ui language="c++">
  <widget class="CLumetCtrl" name="gauge">
    <property name="geometry"><rect><x>0</x><y>0</y><width>200</width><height>24</height></rect></property>
  </widget>
</ui>)");
}

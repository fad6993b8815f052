// The gauge in Qt Designer's widget box ("Display Widgets"): placed, sized and
// edited like any widget; its own properties and QColor views show in the
// property editor.
#ifndef LUMETDESIGNER_H
#define LUMETDESIGNER_H

#include <QtUiPlugin/QDesignerCustomWidgetInterface>

class LumetDesignerPlugin : public QObject, public QDesignerCustomWidgetInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit LumetDesignerPlugin(QObject *parent = nullptr);

    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    QWidget *createWidget(QWidget *parent) override;
    QString domXml() const override;
};

#endif // LUMETDESIGNER_H

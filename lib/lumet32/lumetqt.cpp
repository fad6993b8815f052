#include "lumetqt.h"

#include "lumetctrl.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QMetaEnum>

namespace {

// Read as a progress bar is: role, value 0..100, and the shown text as value text.
class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit GaugeAccessible(CLumetCtrl *gauge)
        : QAccessibleWidget(gauge, QAccessible::ProgressBar)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::asprintf("%d%%", gauge()->percent());
        // A caption ("Loading cards...") names the gauge unless the host named it.
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return gauge()->caption();
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return gauge()->percent(); }
    void setCurrentValue(const QVariant &) override { } // read-only, as a progress bar
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 0; }

private:
    CLumetCtrl *gauge() const { return static_cast<CLumetCtrl *>(widget()); }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("CLumetCtrl") && object && object->isWidgetType())
        return new GaugeAccessible(static_cast<CLumetCtrl *>(object));
    return nullptr;
}

// A bevel style from a number or a key ("kvBevelRaised"); false when out of range.
bool toBevel(QMetaType from, const void *source, void *target)
{
    qlonglong n = -1;
    bool ok = false;
    if (from.id() == QMetaType::QString || from.id() == QMetaType::QByteArray) {
        const QByteArray key = from.id() == QMetaType::QString ? static_cast<const QString *>(source)->toUtf8()
                                                               : *static_cast<const QByteArray *>(source);
        n = QMetaEnum::fromType<CLumetCtrl::BevelConstants>().keyToValue(key.trimmed().constData(), &ok);
    }
    if (!ok)
        ok = QMetaType::convert(from, source, QMetaType::fromType<qlonglong>(), &n);
    if (!ok || n < CLumetCtrl::kvBevelNone || n > CLumetCtrl::kvBevelSolid)
        return false;
    *static_cast<CLumetCtrl::BevelConstants *>(target) = CLumetCtrl::BevelConstants(n);
    return true;
}

void registerBevelConversions()
{
    const QMetaType bevel = QMetaType::fromType<CLumetCtrl::BevelConstants>();
    const QMetaType sources[] = {
        QMetaType::fromType<int>(),
        QMetaType::fromType<uint>(),
        QMetaType::fromType<short>(),
        QMetaType::fromType<ushort>(),
        QMetaType::fromType<qlonglong>(),
        QMetaType::fromType<qulonglong>(),
        QMetaType::fromType<double>(),
        QMetaType::fromType<float>(),
        QMetaType::fromType<QString>(),
        QMetaType::fromType<QByteArray>(),
    };
    for (const QMetaType from : sources)
        QMetaType::registerConverterFunction(
            [from](const void *source, void *target) { return toBevel(from, source, target); }, from, bevel);
}

} // namespace

void Lumet::registerQtSupport()
{
    static const bool once = [] {
        QAccessible::installFactory(accessibleFactory);
        registerBevelConversions();
        return true;
    }();
    Q_UNUSED(once);
}

void Lumet::notifyAccessibleValue(QWidget *gauge, int percent)
{
    // Unconditional, as QProgressBar does: Qt drops it when nothing listens.
    QAccessibleValueChangeEvent event(gauge, percent);
    QAccessible::updateAccessibility(&event);
}

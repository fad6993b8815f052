// What makes the gauge a well-behaved Qt widget beyond its properties: an
// accessible interface (a progress bar to screen readers) and checked
// conversions, so that QObject::setProperty refuses a bevel style out of range.
#ifndef LUMETQT_H
#define LUMETQT_H

class QWidget;

namespace Lumet {
// Installs the accessible factory and the conversions, once per process.
void registerQtSupport();
// Tells assistive technology that the gauge's value changed.
void notifyAccessibleValue(QWidget *gauge, int percent);
} // namespace Lumet

#endif // LUMETQT_H

#pragma once
#include <QString>

namespace tessaly::store {

// What long store operations tell the windows: the forms implement it; the
// command line and the tests use the silent default.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // panel 0 or 1 of the main window's status bar
    virtual void statusText(int /*panel*/, const QString& /*text*/) {}
    // the label of the progress window with the gauge
    virtual void percentText(const QString& /*text*/) {}
    // the label of the splash window
    virtual void welcomeText(const QString& /*text*/) {}
    // both gauges, 0..100
    virtual void gauge(int /*percent*/) {}
    // let the windows repaint
    virtual void pumpEvents() {}
};

}  // namespace tessaly::store

// Draws a half-full gauge offscreen and checks the bar and the empty part.
#include <lumetctrl.h>

#include <QApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    CLumetCtrl gauge;
    gauge.resize(200, 24);
    gauge.setPercent(50);
    gauge.setBarColor(Qt::darkGreen);
    const QImage image = gauge.renderImage(1);
    const bool bar = image.pixelColor(10, 4) == QColor(Qt::darkGreen);
    const bool empty = image.pixelColor(190, 4) == gauge.emptyColor();
    std::printf("lumet32 %s: bar %s, empty part %s\n", qPrintable(CLumetCtrl::version()), bar ? "ok" : "wrong",
                empty ? "ok" : "wrong");
    return bar && empty ? 0 : 1;
}

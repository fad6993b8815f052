// lumet32-demo: a gauge driven by a slider, with its property page and about box,
// hosted the way the main program hosts it: through the dispatch interface.
#include "lumetctrl.h"
#include "lumetproppage.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>

namespace {

void showPropertyPage(CLumetCtrl *gauge, QWidget *parent)
{
    QDialog sheet(parent);
    sheet.setWindowTitle(QStringLiteral("Lumet Control Properties"));
    auto *page = new CLumetPropPage(&sheet);
    page->SetObjects({ gauge });
    auto *buttons
        = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, &sheet);
    QPushButton *apply = buttons->button(QDialogButtonBox::Apply);
    apply->setEnabled(false);
    QObject::connect(page, &CLumetPropPage::Changed, apply, [apply] { apply->setEnabled(true); });
    QObject::connect(apply, &QPushButton::clicked, page, [page, apply] { apply->setEnabled(!page->Apply()); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &sheet, [&sheet, page] {
        if (page->Apply())
            sheet.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &sheet, &QDialog::reject);
    auto *layout = new QVBoxLayout(&sheet);
    layout->addWidget(new QLabel(CLumetPropPage::caption(), &sheet));
    layout->addWidget(page);
    layout->addWidget(buttons);
    sheet.exec();
}

} // namespace

int main(int argc, char **argv)
{
    // Answered before QApplication, so they need no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::puts("usage: lumet32-demo [QT-OPTIONS]\n"
                      "A gauge driven by a slider, with its property page and about box.");
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("lumet32-demo " LUMET32_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("lumet32 demo"));
    auto *gauge = new CLumetCtrl(&window);
    auto *slider = new QSlider(Qt::Horizontal, &window);
    slider->setRange(0, 100);
    QObject::connect(
        slider, &QSlider::valueChanged, gauge, [gauge](int v) { gauge->SetProperty(CLumetCtrl::DispPercent, v); });
    auto *properties = new QPushButton(QStringLiteral("Properties..."), &window);
    QObject::connect(properties, &QPushButton::clicked, gauge, [gauge, &window] { showPropertyPage(gauge, &window); });
    auto *about = new QPushButton(QStringLiteral("About..."), &window);
    QObject::connect(about, &QPushButton::clicked, gauge, [gauge] { gauge->Invoke(CLumetCtrl::DispAboutBox); });
    auto *status = new QLabel(&window);
    QObject::connect(gauge, &CLumetCtrl::MouseDown, status, [status](short button, short shift, int x, int y) {
        status->setText(QStringLiteral("MouseDown Button=%1 Shift=%2 at %3,%4").arg(button).arg(shift).arg(x).arg(y));
    });
    QObject::connect(gauge, &CLumetCtrl::DblClick, status, [status] { status->setText(QStringLiteral("DblClick")); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(properties);
    buttons->addWidget(about);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(gauge);
    layout->addWidget(slider);
    layout->addLayout(buttons);
    layout->addWidget(status);
    window.resize(320, 160);
    window.show();
    return app.exec();
}

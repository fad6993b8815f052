// lumet32-render OUT.png WIDTH HEIGHT [Property=Value ...]
// Renders a gauge of WIDTH × HEIGHT pixels, with the given properties, to a
// PNG file exactly as the control paints itself on screen.
#include "lumetctrl.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>
#include <cstring>

namespace {

const char Usage[] = "usage: lumet32-render OUT.png WIDTH HEIGHT [Property=Value ...]\n"
                     "       lumet32-render --help | --version\n"
                     "  Property: Percent, BevelOuter, BevelInner, BevelBar, BevelWidthOuter, BevelWidthInner,\n"
                     "  BevelWidthBar, BorderWidth, TextBackColor, TextForeColor, BackColor, ForeColor, Caption,\n"
                     "  FontName, FontSize, FontBold, FontItalic, FontStrikethru, FontUnderline, Enabled.\n"
                     "  Colours are OLE colours (0x00BBGGRR: blue in the high byte) in decimal or 0x hex.\n"
                     "  QT_SCALE_FACTOR=2 renders at device pixel ratio 2 (an image of twice the size).\n";

int usage()
{
    std::fputs(Usage, stderr);
    return 1;
}

int refuse(const QString &arg, const QString &message)
{
    std::fprintf(stderr, "lumet32-render: %s: %s\n", qPrintable(arg), qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("lumet32-render " LUMET32_VERSION);
        return 0;
    }
    // Rendering needs no display; a given platform is still honoured.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return usage();

    bool okW = false;
    bool okH = false;
    const int width = args.at(2).toInt(&okW);
    const int height = args.at(3).toInt(&okH);
    if (!okW || !okH || width < 1 || height < 1 || width > 16384 || height > 16384) {
        std::fputs("lumet32-render: WIDTH and HEIGHT must be whole numbers from 1 to 16384\n", stderr);
        return 1;
    }

    CLumetCtrl gauge;
    gauge.resize(width, height);
    for (qsizetype i = 4; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return usage();
        const int dispid = CLumetCtrl::DispIdOfName(arg.left(eq));
        if (dispid == CLumetCtrl::UnknownName || dispid == CLumetCtrl::DispAboutBox)
            return refuse(arg, Lumet::errorMessage(LUMET_DISP_E_MEMBERNOTFOUND));
        const LumetResult status = gauge.SetProperty(dispid, arg.mid(eq + 1));
        if (status != LUMET_S_OK)
            return refuse(arg, Lumet::errorMessage(status));
    }

    const QImage image = gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (!image.save(args.at(1), "PNG")) {
        std::fprintf(stderr, "lumet32-render: cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}

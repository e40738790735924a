#include "Application.h"
#include "Lumetrafrm.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

const char* const noDisplayHint =
    "Lumetra potřebuje grafické prostředí, ale žádný displej není k dispozici.\n"
    "Lumetra needs a graphical display and none is available.\n"
    "Bez obrazovky ji lze spustit takto / to run it without a screen:\n"
    "  xvfb-run -s '-screen 0 1920x1080x24' lumetra\n";

bool displayExpected()
{
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// Qt ends the program when it cannot reach the display; say why and how to go on.
void onQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) {
        std::fputs(noDisplayHint, stderr);
        std::_Exit(1);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (!displayExpected()) {
        std::fputs(noDisplayHint, stderr);
        return 1;
    }
    const QtMessageHandler previous = qInstallMessageHandler(onQtMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);

    lumetra::app::prepareApplication();

    Lumetrafrm window;
    window.showMaximized();
    return app.exec();
}

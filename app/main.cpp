#include "Application.h"
#include "Lumetrafrm.h"

#include <QApplication>
#include <QIcon>

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

// Tells the desktop which menu entry the window belongs to (Wayland has nothing else to go
// by), with its icon and version; read when the window first shows.
void joinDesktop()
{
    QApplication::setApplicationVersion(QStringLiteral(LUMETRA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(LUMETRA_APP_ID));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/" LUMETRA_APP_ID ".png").arg(size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(LUMETRA_APP_ID), icon));
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
    joinDesktop();

    Lumetrafrm window;
    window.showMaximized();
    return app.exec();
}

#include "Application.h"

#include "Controls.h"
#include "Layout.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

namespace lumetra::app {

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Lumetra"));
    // one look on every desktop, so the layout's sizes mean the same everywhere
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // the window's face, for the dialogs too
    QApplication::setFont(Controls::fontOf(window::defaultFace, 1));
    // Qt's own dialogs and menus (the file dialog, a text box's menu) speak Czech too
    static QTranslator qtCzech;
    if (qtCzech.load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtCzech);
}

} // namespace lumetra::app

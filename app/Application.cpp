#include "Application.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

namespace lumetra::app {

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("Lumetra"));
    // one look on every desktop, so the layout's sizes mean the same everywhere
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // "MS Sans Serif" has no metric twin on Linux; "Times New Roman" has Liberation Serif.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont defaultFont(QStringLiteral("Liberation Sans"));
    defaultFont.setPointSizeF(8.25);
    QApplication::setFont(defaultFont);
    // Qt's own dialogs and menus (the file dialog, a text box's menu) speak Czech too
    static QTranslator qtCzech;
    if (qtCzech.load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtCzech);
}

} // namespace lumetra::app

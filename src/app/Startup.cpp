#include "app/Startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace startup {

void setItalian(QApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

} // namespace startup

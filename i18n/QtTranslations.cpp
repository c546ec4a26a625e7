#include "i18n/QtTranslations.h"

#include "i18n/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace i18n {

bool installQtTranslations(const QString& applicationDir, const Language& language)
{
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    if (language.code() == QLatin1String("en"))
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString file = QStringLiteral("qtbase_") + language.code();
    for (const QString& folder :
         {QDir(applicationDir).filePath(QtTranslationsFolder), QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(file, folder)) {
            QCoreApplication::installTranslator(translator);
            installed = translator;
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace i18n

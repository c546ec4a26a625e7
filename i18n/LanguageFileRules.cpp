#include "i18n/LanguageFileRules.h"

#include "widgets/MessageBox.h"

#include <QFile>
#include <QGuiApplication>

namespace i18n {

QString withTrailingSlash(const QString& dir)
{
    if (dir.isEmpty() || dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\')))
        return dir;
    return dir + QLatin1Char('/');
}

QString languageFileIn(const QString& applicationDir, const QString& value)
{
    // Both separators count, so a Windows path given on any system loses its directory.
    const int cut = std::max(value.lastIndexOf(QLatin1Char('/')), value.lastIndexOf(QLatin1Char('\\')));
    const QString name = value.mid(cut + 1);
    if (name.isEmpty())
        return {};
    return withTrailingSlash(applicationDir) + name;
}

bool canReadWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    file.readAll();
    return file.error() == QFileDevice::NoError;
}

void showPlainMessage(const QString& text)
{
    widgets::BoxRequest request;
    request.caption = QGuiApplication::applicationDisplayName();
    request.text = text;
    widgets::showMessageBox(request);
}

} // namespace i18n

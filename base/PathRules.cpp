#include "base/PathRules.h"

#include <QDir>

namespace base {

QString macroDirectory(const QString& directory)
{
    QString dir = directory;
    const bool drivePath = dir.size() > 3 && dir.at(1) == ':';
    const bool absolutePath = dir.size() > 1 && dir.startsWith('/');
    if (drivePath || absolutePath) {
        if (dir.endsWith('\\') || dir.endsWith('/'))
            dir.chop(1);
    } else {
        dir += '.';
    }
    return dir;
}

QString expandMacros(const QString& input, const MacroLookup& lookup)
{
    QString text = input;
    int pos = 0;
    while (pos < text.size()) {
        const int open = text.indexOf('{', pos);
        if (open < 0)
            break;
        const int close = text.indexOf('}', open + 1);
        if (close < 0)
            break;
        const std::optional<QString> dir = lookup(text.mid(open + 1, close - open - 1));
        if (dir) {
            text.replace(open, close - open + 1, *dir);
            pos = open + dir->size();
        } else {
            pos = open + 1;
        }
    }
    return text;
}

QString fileNameFromUrl(const QString& url)
{
    QString name = url.mid(url.lastIndexOf('/') + 1);
    return name.mid(name.lastIndexOf('\\') + 1);
}

QString toLocalPath(const QString& path)
{
    QString p = path;
    p.replace('\\', '/');
    return p;
}

bool isInsideDirectory(const QString& directory, const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    return clean == directory || clean.startsWith(directory + QLatin1Char('/'));
}

QString serverUrl(const QString& host, const QString& path)
{
    const bool hasScheme = host.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                           host.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    QString base = hasScheme ? host : QStringLiteral("http://") + host;
    while (base.endsWith('/'))
        base.chop(1);
    return base + path;
}

} // namespace base

#include "app/ExtraTexts.h"

#include <QHash>

namespace app {

QString builtInText(const char* key)
{
    static const QHash<QString, QString> texts = {
        {"btnTools", "Tools"},
        {"copyCode", "Copy code"},
        {"copyAllCodes", "Copy all codes of this item"},
        {"copyRow", "Copy row"},
        {"sortList", "Sort list"},
        {"exportList", "Export list..."},
        {"exportFilter", "CSV files (*.csv)"},
        {"exportFailed", "The list could not be written to %1."},
        {"showPicture", "Show picture large"},
        {"about", "About Velkorn..."},
        {"aboutCaption", "About Velkorn"},
        {"catalogDate", "Catalog of %1"},
        {"neverUpdated", "never updated"},
        {"programVersion", "Version %1"},
        {"itemCount", "Items: %1"},
        {"codeCount", "Codes: %1"},
        {"applicationDir", "Application directory: %1"},
        {"rowCount", "%1 rows"},
        {"rowCount1", "1 row"},
        {"updateCaption", "Program update"},
        {"updateRestored", "The last program update was interrupted before it was complete. The previous version "
                           "has been restored."},
        {"updateNotCompleted", "The last program update was interrupted and not completed. The previous version "
                               "could not be restored, so the program files stay as they are."},
    };
    return texts.value(QString::fromLatin1(key));
}

QString extraText(const std::function<QString(const QString&)>& msg, const char* key)
{
    const QString text = msg ? msg(QString::fromLatin1(key)) : QString();
    // Message lookup answers a missing key with this text.
    if (text.isEmpty() || text == QLatin1String("ERROR"))
        return builtInText(key);
    return text;
}

} // namespace app

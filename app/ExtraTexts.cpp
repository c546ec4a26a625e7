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
        {"programVersion", "Version %1"},
        {"itemCount", "Items: %1"},
        {"codeCount", "Codes: %1"},
        {"applicationDir", "Application directory: %1"},
        {"rowCount", "%1 rows"},
        {"rowCount1", "1 row"},
        {"catalogNeverUpdated", "Catalog never updated"},
        {"measureFound1", "1 item found"},
        {"measureToleranceOf", "%1, tolerance"},
        {"measureNotNumber", "%1: “%2” is not a number."},
        {"measureNegative", "%1: a measure cannot be negative."},
        {"measureWrongUnit", "%1: enter the value in %2."},
        {"measureNotWhole", "%1: enter a whole number."},
        {"measureNoRange", "%1: enter one number, not a range."},
        {"measureReversedRange", "%1: put the smaller number first, as in 2300-2700."},
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

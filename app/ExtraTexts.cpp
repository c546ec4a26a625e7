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
        {"updateCaption", "Program update"},
        {"updateRestored", "The last program update was interrupted before it was complete. The previous version "
                           "has been restored."},
        {"updateNotCompleted", "The last program update was interrupted and not completed. The previous version "
                               "could not be restored, so the program files stay as they are."},
        {"updateRolledBack", "The new version of the program did not start, so the update was rolled back. The "
                             "previous version is running."},
        {"accWebSite", "Velkorn web site"},
        {"accWebSiteHint", "Opens the maker's web site in your web browser"},
        {"accSearchHint", "Shows every item that carries the code typed in the search box"},
        {"accPrevHint", "Shows the previous item of the list opened last (Left arrow key)"},
        {"accNextHint", "Shows the next item of the list opened last (Right arrow key)"},
        {"accPageForward", "Next page"},
        {"accPageForwardHint", "Turns to the next page of the installation and product range pages"},
        {"accPageBack", "Previous page"},
        {"accPageBackHint", "Turns back to the previous page of the installation and product range pages"},
        {"accSearchBox", "Code search"},
        {"accSearchBoxHint", "Type a product, OEM or cross-reference code; Enter shows every item that carries it"},
        {"accMenuBar", "Main menu"},
        {"accMenuBarHint", "Lists by style, OEM, usage and cross-reference; company pages and tools"},
        {"accItemList", "Item list"},
        {"accItemListHint", "The items of the list opened last; the chosen one is shown beside it"},
        {"accCodeList", "Codes of the item"},
        {"accCodeListHint", "Every code the item shown is known by, with its type"},
        {"accPicture", "Item picture %1"},
        {"accSuggestions", "Matching codes"},
        {"accSuggestionsHint", "Up and Down choose a code, Enter shows its item, Escape closes the list"},
        {"accFilterHint", "Only items of the chosen kind; %1 takes every item"},
        {"accMeasureValueHint", "Leave it empty to leave this measurement out"},
        {"accToleranceHint", "How far the catalog's value may differ; a % sign makes it a percentage"},
        {"accMeasureFindHint", "Ranks the catalog by the measurements entered"},
        {"accMeasureClearHint", "Empties the form"},
        {"accMeasureHits", "Items found by measurements"},
        {"moreCodes", "and %1 more — Enter shows all"},
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

#include "catalog/ItemDetails.h"

namespace catalog {

QString formatMeasure(const QVariant& value, const QLocale& locale)
{
    if (value.isNull() || !value.isValid())
        return {};
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value.toString();
    QLocale grouped = locale;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(number, 'f', 2);
}

int vehiclePictogram(const QVariant& usage)
{
    bool ok = false;
    const int value = usage.toInt(&ok);
    return ok && value >= 1 && value <= 4 ? value : 0;
}

CodeRowColour codeRowColour(const QVariant& prefix, bool selected)
{
    if (selected)
        return CodeRowColour::Selection;
    if (prefix.isNull() || !prefix.isValid() || prefix.toString().isEmpty())
        return CodeRowColour::Default;
    return prefix.toString() == QLatin1String("OEM") ? CodeRowColour::ToolTip : CodeRowColour::Window;
}

} // namespace catalog

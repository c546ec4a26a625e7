#include "catalog/ItemDetails.h"

#include <cmath>

namespace catalog {

ItemDetails itemDetailsOf(const std::function<QVariant(const char*)>& f, const QLocale& locale)
{
    ItemDetails d;
    d.itemId = f("ID").toInt();
    d.code = f("CODE").toString();
    d.typeStr = f("typeStr").toString();
    d.ptStr = f("ptStr").toString();
    d.totalWeight = formatMeasure(f("TOTAL_WEIGHT"), locale);
    d.operationPressureDefault = formatMeasure(f("OPERATION_PRESSURE_DEFAULT"), locale);
    d.operationPressureMax = formatMeasure(f("OPERATION_PRESSURE_MAX"), locale);
    d.operationPressureMin = formatMeasure(f("OPERATION_PRESSURE_MIN"), locale);
    d.operationSpace = formatMeasure(f("OPERATION_SPACE"), locale);
    d.assemblyHeight = formatMeasure(f("ASSEMBLY_HEIGHT"), locale);
    d.loadingCapacity = f("LOADING_CAPACITY").toString();
    d.studsVisible = f("TYPE").toInt() == 2;
    d.largeVehicle = vehiclePictogram(f("VEHICLE1"));
    d.smallVehicle = vehiclePictogram(f("VEHICLE2"));
    return d;
}

QStringList technicalValues(const ItemDetails& d)
{
    return {d.totalWeight,
            d.operationPressureDefault,
            d.operationPressureMax,
            d.operationPressureMin,
            d.operationSpace,
            d.assemblyHeight,
            d.ptStr,
            d.loadingCapacity};
}

QString pressureRowCaption(const QString& pressure, const QString& which)
{
    QString value = which.trimmed();
    if (value.endsWith(QLatin1Char(':')))
        value.chop(1);
    return pressure.trimmed() + QLatin1Char(' ') + value.trimmed();
}

QString numberedKey(const QString& base, const QVariant& number)
{
    return number.isNull() || !number.isValid() ? base : base + QString::number(number.toLongLong());
}

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

QString formatNumber(double value, const QLocale& locale)
{
    const int decimals = value == std::round(value) ? 0 : (value * 10 == std::round(value * 10) ? 1 : 2);
    return locale.toString(value, 'f', decimals);
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

#pragma once

#include <QLocale>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace catalog {

// What the item view shows of one item, computed from the current row of qryItem.
struct ItemDetails
{
    int itemId = 0;
    QString code;                     // DBText1: the type-1 code
    QString typeStr;                  // DBText10: the style name
    QString ptStr;                    // DBText8: the piston type name
    QString totalWeight;              // DBText2
    QString operationPressureDefault; // DBText3
    QString operationPressureMax;     // DBText4
    QString operationPressureMin;     // DBText5
    QString operationSpace;           // DBText6
    QString assemblyHeight;           // DBText7
    QString loadingCapacity;          // DBText9, as stored
    bool studsVisible = false;        // mounting-symbol legend, style 2 only
    int largeVehicle = 0;             // tasit1..tasit4 for VEHICLE1 1..4; 0 shows none
    int smallVehicle = 0;             // sTasit1..sTasit4 for VEHICLE2 1..4; 0 shows none
};

// The view of one row with the columns of qryItem; `field` answers a column by name (CODE, the columns of ITEM and
// the calculated typeStr and ptStr), the measures are formatted for `locale`.
ItemDetails itemDetailsOf(const std::function<QVariant(const char*)>& field, const QLocale& locale);

// The eight technical data values in the table's order, top to bottom: total weight, operating pressure default,
// maximum and minimum, operating space, assembly height, piston type, loading capacity.
QStringList technicalValues(const ItemDetails& details);

// The name of an operating-pressure row, as the sheets and copied rows give it: the pressure's caption and which
// value the row holds, without the colon that the item view's caption ends in ("Operating Pressure Max").
QString pressureRowCaption(const QString& pressure, const QString& which);

// The message key of a numbered name: `base` and the number in decimal ("type3", "pistonType1"); a null number
// gives the bare base.
QString numberedKey(const QString& base, const QVariant& number);

// A measure in the form "#,##0.00" with the separators of the locale; empty for a null value.
QString formatMeasure(const QVariant& value, const QLocale& locale);
// A number with the separators of the locale and as few decimals as it needs, at most two: "157,5", "3.200".
QString formatNumber(double value, const QLocale& locale);

// The pictogram a usage value selects: 1..4, or 0 for any other value.
int vehiclePictogram(const QVariant& usage);

// How a cell of the codes list is drawn.
enum class CodeRowColour
{
    Selection, // the selected row keeps the list's selection colours
    Default,   // no prefix: the list's default colours
    ToolTip,   // an OEM code: tool-tip background and text
    Window,    // any other prefix: window background and text
};
CodeRowColour codeRowColour(const QVariant& prefix, bool selected);

} // namespace catalog

Q_DECLARE_METATYPE(catalog::ItemDetails)

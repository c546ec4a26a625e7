#pragma once

#include <QList>
#include <QLocale>
#include <QPair>
#include <QStringList>

#include <functional>

namespace catalog {

class TQuery;

// Column captions of an exported list, in the language of the window.
struct ExportCaptions
{
    QString ownCode;
    QString style;
    // The eight technical data values in the order of the item view: total weight, operating pressure default,
    // maximum and minimum, operating space, assembly height, piston type, loading capacity.
    QStringList technical;
};

// A list as a table for a spreadsheet: a caption row, then one row per row of `list` in its shown order, each with
// the item's own code, its style, its technical data as the item view shows them, and the list's own cells that
// matched it (`matching`: field and caption, such as the OEM code beside the maker's code). The items are read
// through `connectionName`; style and piston type names come from `msg`. Throws DatabaseError.
QList<QStringList> listExportTable(const TQuery& list, const QList<QPair<QString, QString>>& matching,
                                   const ExportCaptions& captions, const QString& connectionName,
                                   const std::function<QString(const QString&)>& msg, const QLocale& locale);

} // namespace catalog

#pragma once

#include <QString>
#include <QtGlobal>

namespace catalog {

struct DemoCatalogOptions
{
    QString filePath;
    int items = 400;
    quint32 seed = 1;
    bool forcedWrites = true; // the setting the finished file keeps
};

struct DemoCatalogSummary
{
    int items = 0;
    int codes = 0;
    int pictures = 0;
    int codeTypes = 0;
};

// Creates a new catalog file filled with invented but plausible data: the same options always give the same
// rows. Throws DatabaseError on failure (including an existing file).
DemoCatalogSummary generateDemoCatalog(const DemoCatalogOptions& options);

} // namespace catalog

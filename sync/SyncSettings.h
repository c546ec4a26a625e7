#pragma once

#include "base/PathRules.h"
#include "catalog/CatalogLocation.h"
#include "sync/HttpTransfer.h"

#include <QString>

// Not `sync`, the folder's name: that would collide with POSIX ::sync() from <unistd.h>.
namespace catalogsync {

// Where the synchronisation finds the catalog server and the local catalog.
struct SyncSettings
{
    QString appDir;                   // Application directory, with a trailing '/'
    QString catalogHost;              // "host[:port]" (http) or "http://host[:port]" or "https://host[:port]"
    QString catalogPath;              // written right after the host; empty by default
    QString catalogSeparator = "/";   // between the path and a feed's relative path
    catalog::CatalogLocation catalog; // no path set: appDir + "KATALOG.GDB"
    TransferOptions transfer;         // the stop flag is set by CatalogSync
    // Testing aid: when set, the applying thread pauses after its first record, holding the lease, until this file
    // exists (VELKORN_SYNC_PAUSE).
    QString pauseFile;

    catalog::CatalogLocation database() const
    {
        return catalog.path().isEmpty() ? catalog::CatalogLocation::localFile(appDir + QStringLiteral("KATALOG.GDB"))
                                        : catalog;
    }
    // the host's address + path + separator + relative
    QString address(const QString& relative) const
    {
        return base::serverUrl(catalogHost, catalogPath + catalogSeparator + relative);
    }
};

// The feed files, in request order (t = 1..4).
inline const char* const kFeedFiles[4] = {"item.xml", "item_code.xml", "item_pictures.xml", "item_deleted.xml"};

} // namespace catalogsync

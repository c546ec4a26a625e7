#pragma once

#include "catalog/CatalogLocation.h"
#include "sync/SyncSettings.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QThread;
class QWidget;
namespace catalog {
class BackgroundCodeIndex;
class CatalogBrowser;
class CatalogWatch;
} // namespace catalog
namespace catalogsync {
class MissingPictures;
}

namespace app {

// This program as one seat of a catalog that other seats (programs, lookups) share, on a server or in one file. Other
// seats' synchronisations reach the window here: the lists and the item are read again where the user is, the code
// index is rebuilt and the catalog's date line refreshed. A catalog that cannot be reached any more is said once; when
// it can be reached again the window's connection is opened anew and everything is read again. Pictures that the
// catalog names and this seat's images folder lacks are fetched from the catalog server as they are shown.
class CatalogSeat : public QObject
{
    Q_OBJECT
public:
    using MessageLookup = std::function<QString(const QString&)>;

    struct Parts
    {
        catalog::CatalogBrowser* browser = nullptr;
        catalog::BackgroundCodeIndex* codeIndex = nullptr;
        QString connectionName;                  // the window's connection
        catalog::CatalogLocation location;       // where it was opened
        catalogsync::SyncSettings pictureSource; // the catalog server and the Application directory
        std::function<void()> refreshCatalogFacts;
        std::function<void(QThread*)> threadStarted;
        MessageLookup msg;
        QWidget* window = nullptr; // parents the message
    };

    explicit CatalogSeat(Parts parts, QObject* parent = nullptr);
    ~CatalogSeat() override;

    // Starts watching the catalog; stop() ends the watch for good (shutdown, before the connection closes).
    void start();
    void stop();

    // For a database failure of a window action, before it is shown: true when the window's connection to the
    // catalog is gone, which the seat then says (once) and mends itself; false for a failure the caller shows.
    bool connectionFailed();

    // The catalog could not be reached, and the window's connection has not been opened again yet.
    bool lost() const { return m_lost; }

signals:
    // The lists and the item were read again (another seat's synchronisation, or the catalog reachable again).
    void reloaded();

private:
    void reload();
    void probed(bool reachable);
    void loseConnection();
    void reconnect();

    Parts m_parts;
    QPointer<catalog::CatalogWatch> m_watch;
    catalogsync::MissingPictures* m_pictures = nullptr;
    bool m_lost = false;
    bool m_reportIndex = false;
};

} // namespace app

#include "app/CatalogSeat.h"

#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogWatch.h"
#include "catalog/ServerDeadline.h"
#include "sync/MissingPictures.h"
#include "widgets/MessageBox.h"

namespace app {

CatalogSeat::CatalogSeat(Parts parts, QObject* parent) : QObject(parent), m_parts(std::move(parts))
{
    m_watch = new catalog::CatalogWatch(m_parts.location, this);
    connect(m_watch, &catalog::CatalogWatch::changed, this, [this] {
        // While the connection is gone, the reconnection reads everything again anyway.
        if (!m_lost)
            reload();
    });
    connect(m_watch, &catalog::CatalogWatch::probed, this, [this](bool reachable) { probed(reachable); });

    m_pictures = new catalogsync::MissingPictures(m_parts.pictureSource, this);
    m_pictures->threadStarted = m_parts.threadStarted;
    connect(m_parts.browser, &catalog::CatalogBrowser::picturesMissing, m_pictures,
            &catalogsync::MissingPictures::fetch);
    connect(m_pictures, &catalogsync::MissingPictures::arrived, m_parts.browser,
            &catalog::CatalogBrowser::pictureArrived);

    connect(m_parts.codeIndex, &catalog::BackgroundCodeIndex::ready, this, [this] {
        // A line for whoever watches the seat's output (an administrator, the tests): the change has arrived here.
        if (m_reportIndex)
            qInfo("velkorn: catalog read again; %d codes in the search index", m_parts.codeIndex->index()->codeCount());
        m_reportIndex = false;
    });
}

CatalogSeat::~CatalogSeat() = default;

void CatalogSeat::start()
{
    if (m_watch)
        m_watch->start();
}

void CatalogSeat::stop()
{
    delete m_watch;
}

void CatalogSeat::reload()
{
    m_reportIndex = true;
    try {
        m_parts.browser->reloadAll();
    } catch (const catalog::DatabaseError& e) {
        if (!connectionFailed())
            widgets::showMessageBox({m_parts.window, "Velkorn", e.message(), widgets::BoxIcon::Error});
    }
    if (m_parts.refreshCatalogFacts)
        m_parts.refreshCatalogFacts();
    emit reloaded();
}

bool CatalogSeat::connectionFailed()
{
    if (m_lost)
        return true;
    // A connection that this program closed is not lost; the failure is shown as it is.
    const QSqlDatabase db = QSqlDatabase::database(m_parts.connectionName, false);
    if (!db.isOpen())
        return false;
    {
        const catalog::ServerDeadline deadline(db, catalog::CatalogWatch::AnswerDeadline);
        if (catalog::probeConnection(db).isEmpty())
            return false;
    }
    loseConnection();
    return true;
}

void CatalogSeat::probed(bool reachable)
{
    if (!reachable)
        loseConnection();
    else if (m_lost)
        reconnect();
}

void CatalogSeat::loseConnection()
{
    if (m_lost)
        return;
    m_lost = true;
    // Once, whatever noticed it first: the watch, a list, the item, a search. Never the password.
    const auto msg = [this](const char* key) { return m_parts.msg(QString::fromLatin1(key)); };
    widgets::showMessageBox({m_parts.window, msg("msg001"),
                             msg("catalogConnectionLost").arg(m_parts.location.displayName()),
                             widgets::BoxIcon::Warning});
}

void CatalogSeat::reconnect()
{
    // Right after the watch reached the catalog, so this does not keep the window waiting.
    try {
        catalog::openDatabase(m_parts.location, m_parts.connectionName);
    } catch (const catalog::DatabaseError&) {
        // Still out of reach: the watch's next look tries again.
        return;
    }
    m_lost = false;
    qInfo("velkorn: the catalog can be reached again: %s", qPrintable(m_parts.location.displayName()));
    reload();
}

} // namespace app

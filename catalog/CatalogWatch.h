#pragma once

#include "catalog/CatalogLocation.h"

#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QString>

class QThread;

namespace catalog {

// Keeps an eye on the catalog for a seat, from a connection of its own on a thread of its own, so that the window
// never waits for it. It learns of every committed synchronisation of any seat through the engine's event, which the
// applying transaction posts (announceChange) and the engine delivers at its commit; and it asks the catalog every
// ProbeInterval milliseconds whether it can still be reached, opening its connection anew while it cannot. A server
// that takes longer than AnswerDeadline milliseconds to answer counts as out of reach, and the program's other
// connections to it are given up (ServerDeadline), so that a network fallen silent holds nobody for long.
class CatalogWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* ChangedEvent = "VELKORN_CATALOG_CHANGED";
    static constexpr int ProbeInterval = 2000;
    static constexpr int AnswerDeadline = 5000;

    // Posts the event in the transaction open on `db`: every watch hears of it when that transaction commits, and
    // never when it is rolled back. Throws DatabaseError.
    static void announceChange(const QSqlDatabase& db);

    explicit CatalogWatch(CatalogLocation location, QObject* parent = nullptr);
    // Ends the watch's thread and closes its connection.
    ~CatalogWatch() override;

    // Opens the watch's connection and starts watching. Once.
    void start();

signals:
    // A synchronisation committed (this process's own included).
    void changed();
    // After every look at the catalog: whether it could be reached, and why not.
    void probed(bool reachable, const QString& failure);

private:
    CatalogLocation m_location;
    QPointer<QThread> m_thread;
};

} // namespace catalog

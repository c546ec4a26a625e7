#pragma once

#include "catalog/CatalogLocation.h"
#include "catalog/CodeIndex.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QThread;

namespace catalog {

// Keeps a CodeIndex of the catalog up to date without holding up the window: every build runs on its own
// thread with its own connection to the catalog (a connection belongs to the thread that opened it), and the
// finished index is taken over on the owner's thread. Until one is ready, index() is empty and callers search
// the database.
class BackgroundCodeIndex : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundCodeIndex(CatalogLocation location, QObject* parent = nullptr);
    // Stops and awaits the builds still running.
    ~BackgroundCodeIndex() override;

    // Drops the index in hand (it may be stale) and starts a new build; a build still running is abandoned.
    void rebuild();

    std::shared_ptr<const CodeIndex> index() const { return m_index; }
    bool isReady() const { return bool(m_index); }

    // Called with each build thread as it starts, so that shutdown can stop and await it with the others.
    std::function<void(QThread*)> threadStarted;

signals:
    // The index in hand was dropped for a rebuild; ready() follows when the new one is built.
    void rebuilding();
    void ready();
    // The build could not read the catalog; searches keep using the database.
    void failed(const QString& message);

private:
    void adopt(quint64 generation, std::shared_ptr<const CodeIndex> index, const QString& failure);

    CatalogLocation m_location;
    quint64 m_generation = 0;
    std::shared_ptr<const CodeIndex> m_index;
    QList<QPointer<QThread>> m_threads;
};

} // namespace catalog

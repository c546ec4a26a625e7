#pragma once

#include "sync/SyncSettings.h"

#include <QDateTime>
#include <QThread>

namespace catalogsync {

// The feed download thread: reads PARAMS.LAST_UPDATE through its own connection, probes the catalog server and
// downloads the four feed files into the Application directory. It reports nothing; its end is handled by
// CatalogSync::Thread1Terminate on the main thread.
class TThread1 : public QThread
{
    Q_OBJECT
public:
    explicit TThread1(SyncSettings settings, QObject* parent = nullptr);

    // The run body, callable on any thread (the thread runs exactly this). Returns the LAST_UPDATE the feed was
    // asked for, invalid when it could not be read.
    static QDateTime download(const SyncSettings& settings);

    // What the finished run read from LAST_UPDATE (see download()).
    QDateTime askedFrom() const { return m_askedFrom; }

protected:
    void run() override;

private:
    SyncSettings m_settings;
    QDateTime m_askedFrom;
};

} // namespace catalogsync

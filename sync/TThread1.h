#pragma once

#include "sync/SyncSettings.h"

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

    // The run body, callable on any thread (the thread runs exactly this).
    static void download(const SyncSettings& settings);

protected:
    void run() override;

private:
    SyncSettings m_settings;
};

} // namespace catalogsync

#pragma once

#include "catalog/CodeIndex.h"
#include "platform/FileLock.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>

class QLocalServer;
class QLocalSocket;

namespace catalog {

class BackgroundCodeIndex;

// Answers velkorn-lookup from the open program's code index over the catalog's local socket (LookupChannel), so that
// a dealer's lookup needs no database engine of its own. It serves on a thread of its own: a batch never holds up the
// window, and a client that sends garbage, too much or nothing at all is cut off after a bounded time.
//
// One program per catalog serves: the first to take the lock beside the socket. The others leave the lookups to it.
class LookupService : public QObject
{
public:
    // A client has this long to send its request and take its answer.
    static constexpr int kClientTimeMs = 5000;
    static constexpr int kMaxClients = 16;

    explicit LookupService(QObject* parent = nullptr);
    ~LookupService() override;

    // Serves at `path` (a LookupChannel socket path) unless another program already does; replaces the socket file
    // a killed program left. False when it does not serve.
    bool start(const QString& path);
    // Stops serving and removes the socket file; waits for a search under way.
    void stop();
    bool isServing() const { return m_serving; }

    // The index the answers come from; none answers "not ready", and the asking command reads the catalog itself.
    void setIndex(std::shared_ptr<const CodeIndex> index);
    // Takes each index `source` finishes over, and answers "not ready" while it rebuilds.
    void follow(BackgroundCodeIndex* source);

private:
    struct Request
    {
        QByteArray bytes;
        bool answered = false;
    };

    bool listen(const QString& path);
    void acceptClients();
    void serve(QLocalSocket* socket);
    void take(QLocalSocket* socket, Request* request);
    QByteArray answer(const QByteArray& requestBody) const;
    std::shared_ptr<const CodeIndex> index() const;

    QThread m_thread;
    QObject* m_context = nullptr; // lives on m_thread; parents the server and its clients
    QLocalServer* m_server = nullptr;
    platform::FileLock m_lock;
    bool m_serving = false;
    int m_clients = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_indexMutex;
    std::shared_ptr<const CodeIndex> m_index;
};

} // namespace catalog

#pragma once

#include "ConnectionStream.h"

#include <httplib.h>

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

struct ServerLimits
{
    int workers = 16;        // threads that answer requests
    int connections = 10000; // open connections at most (also bounded by the file limit)
    int requestsPerConnection = 1000;
    std::chrono::milliseconds idle{10000}; // a connection waiting for its first or next request
    std::chrono::milliseconds stop{4000};  // requests in flight at a stop may take this long
    ConnectionLimits connection;
};

// httplib's routes and answers on a server that many dealers may hold connections to. httplib's own loop gives every
// connection a thread for as long as it is open, so a few hundred idle or slow clients would stop it; here a
// connection waits in one epoll set until it has something to say, a fixed number of workers answer requests, and
// every wait has a deadline. When the connections run out, the one idle longest makes room.
//
// stop() (from any thread, e.g. on SIGTERM) closes the listening socket and the idle connections at once, lets the
// requests in flight finish within the stop time, then cuts what is left; run() then returns.
class HttpServer : public httplib::Server
{
public:
    explicit HttpServer(ServerLimits limits = {});
    ~HttpServer() override;

    // Serves https with this certificate and key; false with the reason when they cannot be used.
    bool useTls(const std::string& certificate, const std::string& key, std::string& error);
    // Binds to host:port (port 0: a free one); the port, or -1.
    int bindTo(const std::string& host, int port);
    // Serves until stopped; false when it could not start.
    bool run();
    void stop();

private:
    struct Connection;
    using Clock = std::chrono::steady_clock;

    void acceptAll();
    void admit(int fd);
    void ready(std::uint64_t id);
    void park(Connection& connection);
    void sweep();
    void beginStop();
    void work();
    void serve(Connection& connection);
    void finish(Connection& connection, bool linger);
    bool watch(int fd, std::uint64_t id, int operation);
    // Closes and forgets a parked connection; with m_mutex held.
    void dropParked(Connection& connection);

    ServerLimits m_limits;
    SSL_CTX* m_tls = nullptr;
    int m_epoll = -1;
    int m_wake = -1;
    std::atomic<bool> m_stopping{false};

    std::mutex m_mutex;
    std::condition_variable m_work;
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> m_connections;
    std::list<Connection*> m_parked; // the longest idle first
    std::deque<Connection*> m_queue; // have a request waiting
    std::uint64_t m_nextId = 2;      // 0 and 1 are the listening socket and the wake-up
    bool m_workersEnd = false;
    std::vector<std::thread> m_workers;
};

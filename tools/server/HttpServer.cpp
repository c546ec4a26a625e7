#include "HttpServer.h"

#include <openssl/err.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

constexpr std::uint64_t kListening = 0;
constexpr std::uint64_t kWake = 1;

// Connections the file limit leaves room for, besides the server's own files (database, logs, pictures).
int connectionsAllowed(int wanted)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return wanted;
    return std::max(16, std::min(wanted, int(limit.rlim_cur) - 64));
}

} // namespace

struct HttpServer::Connection
{
    enum class State
    {
        Parked,
        Queued,
        Busy
    };
    std::uint64_t id = 0;
    std::unique_ptr<ConnectionStream> stream;
    State state = State::Parked;
    Clock::time_point deadline;
    std::list<Connection*>::iterator parkedAt;
    int served = 0;
};

HttpServer::HttpServer(ServerLimits limits) : m_limits(limits)
{
    m_limits.connections = connectionsAllowed(m_limits.connections);
    // What httplib advertises in its Keep-Alive header.
    set_keep_alive_timeout(std::max<time_t>(1, std::chrono::duration_cast<std::chrono::seconds>(limits.idle).count()));
    set_keep_alive_max_count(size_t(std::max(1, limits.requestsPerConnection)));
    set_payload_max_length(limits.connection.requestBytes);
}

HttpServer::~HttpServer()
{
    if (svr_sock_ != INVALID_SOCKET)
        ::close(svr_sock_.exchange(INVALID_SOCKET));
    if (m_tls)
        SSL_CTX_free(m_tls);
}

bool HttpServer::useTls(const std::string& certificate, const std::string& key, std::string& error)
{
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context && SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) == 1 &&
        SSL_CTX_use_certificate_chain_file(context, certificate.c_str()) == 1 &&
        SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) == 1 &&
        SSL_CTX_check_private_key(context) == 1) {
        SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        if (m_tls)
            SSL_CTX_free(m_tls);
        m_tls = context;
        return true;
    }
    char text[256] = "cannot read the certificate or its key";
    if (const unsigned long code = ERR_get_error())
        ERR_error_string_n(code, text, sizeof text);
    error = text;
    ERR_clear_error();
    SSL_CTX_free(context);
    return false;
}

int HttpServer::bindTo(const std::string& host, int port)
{
    const int bound = port == 0 ? bind_to_any_port(host) : (bind_to_port(host, port) ? port : -1);
    if (bound <= 0)
        return -1;
    // httplib listens with a backlog of 5, which drops the connections of a morning's first minute.
    ::listen(svr_sock_, SOMAXCONN);
    ::fcntl(svr_sock_, F_SETFL, ::fcntl(svr_sock_, F_GETFL) | O_NONBLOCK);
    return bound;
}

void HttpServer::stop()
{
    m_stopping = true;
    const std::uint64_t one = 1;
    if (m_wake >= 0) [[maybe_unused]]
        const ssize_t n = ::write(m_wake, &one, sizeof one);
}

bool HttpServer::run()
{
    if (svr_sock_ == INVALID_SOCKET)
        return false;
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event listening{};
    listening.events = EPOLLIN;
    listening.data.u64 = kListening;
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.u64 = kWake;
    if (m_epoll < 0 || m_wake < 0 || ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, svr_sock_, &listening) != 0 ||
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wake, &wake) != 0)
        return false;
    for (int i = 0; i < std::max(1, m_limits.workers); ++i)
        m_workers.emplace_back([this] { work(); });

    bool stopping = false;
    bool cut = false;
    Clock::time_point stopDeadline;
    epoll_event events[256];
    for (;;) {
        const int n = ::epoll_wait(m_epoll, events, 256, 200);
        for (int i = 0; i < n; ++i) {
            const std::uint64_t id = events[i].data.u64;
            if (id == kListening)
                acceptAll();
            else if (id == kWake) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t r = ::read(m_wake, &count, sizeof count);
            } else
                ready(id);
        }
        if (m_stopping && !stopping) {
            stopping = true;
            stopDeadline = Clock::now() + m_limits.stop;
            beginStop();
        }
        sweep();
        if (stopping) {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_connections.empty())
                break;
            if (!cut && Clock::now() >= stopDeadline) {
                // What did not finish in time is cut: its workers' waits end at once.
                cut = true;
                for (auto& [id, connection] : m_connections)
                    connection->stream->abort();
            }
            if (Clock::now() >= stopDeadline + std::chrono::milliseconds(500))
                break;
        }
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_workersEnd = true;
    }
    m_work.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
    m_connections.clear();
    ::close(m_epoll);
    ::close(m_wake);
    m_epoll = m_wake = -1;
    return true;
}

void HttpServer::acceptAll()
{
    for (;;) {
        const int fd = ::accept4(svr_sock_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            admit(fd);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EMFILE || errno == ENFILE) {
            // Out of files: the longest idle connection goes, and the waiting one is taken on the next turn.
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_parked.empty()) {
                dropParked(*m_parked.front());
                continue;
            }
        }
        return;
    }
}

void HttpServer::admit(int fd)
{
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one); // the head and the body go out in two writes
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (int(m_connections.size()) >= m_limits.connections) {
        if (m_parked.empty()) {
            static const char busy[] =
                "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            [[maybe_unused]] const ssize_t n = ::send(fd, busy, sizeof busy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            ::close(fd);
            return;
        }
        dropParked(*m_parked.front());
    }
    SSL* tls = nullptr;
    if (m_tls) {
        tls = SSL_new(m_tls);
        if (!tls || SSL_set_fd(tls, fd) != 1) {
            SSL_free(tls);
            ::close(fd);
            return;
        }
    }
    auto connection = std::make_unique<Connection>();
    connection->id = m_nextId++;
    connection->stream = std::make_unique<ConnectionStream>(fd, tls, m_limits.connection);
    connection->deadline = Clock::now() + m_limits.idle;
    connection->parkedAt = m_parked.insert(m_parked.end(), connection.get());
    if (!watch(connection->stream->socket(), connection->id, EPOLL_CTL_ADD)) {
        m_parked.erase(connection->parkedAt);
        return;
    }
    m_connections.emplace(connection->id, std::move(connection));
}

void HttpServer::ready(std::uint64_t id)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_connections.find(id);
        if (found == m_connections.end() || found->second->state != Connection::State::Parked)
            return;
        Connection& connection = *found->second;
        m_parked.erase(connection.parkedAt);
        connection.state = Connection::State::Queued;
        m_queue.push_back(&connection);
    }
    m_work.notify_one();
}

void HttpServer::park(Connection& connection)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping) {
        m_connections.erase(connection.id);
        return;
    }
    connection.state = Connection::State::Parked;
    connection.deadline = Clock::now() + m_limits.idle;
    connection.parkedAt = m_parked.insert(m_parked.end(), &connection);
    if (!watch(connection.stream->socket(), connection.id, EPOLL_CTL_MOD))
        dropParked(connection);
}

bool HttpServer::watch(int fd, std::uint64_t id, int operation)
{
    // One event per wait: the connection is in a worker's hands until it is parked again.
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP | EPOLLONESHOT;
    event.data.u64 = id;
    return ::epoll_ctl(m_epoll, operation, fd, &event) == 0;
}

void HttpServer::dropParked(Connection& connection)
{
    m_parked.erase(connection.parkedAt);
    m_connections.erase(connection.id);
}

void HttpServer::sweep()
{
    const auto now = Clock::now();
    const std::lock_guard<std::mutex> lock(m_mutex);
    // Parked in order, each for the same idle time: the expired ones are at the front.
    while (!m_parked.empty() && m_parked.front()->deadline <= now)
        dropParked(*m_parked.front());
}

void HttpServer::beginStop()
{
    // The listening socket goes first: from now on new connections are refused by the system.
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, svr_sock_, nullptr);
    ::shutdown(svr_sock_, SHUT_RDWR);
    const std::lock_guard<std::mutex> lock(m_mutex);
    while (!m_parked.empty())
        dropParked(*m_parked.front());
}

void HttpServer::work()
{
    for (;;) {
        Connection* connection = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_work.wait(lock, [this] { return m_workersEnd || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            connection = m_queue.front();
            m_queue.pop_front();
            connection->state = Connection::State::Busy;
        }
        serve(*connection);
    }
}

void HttpServer::serve(Connection& connection)
{
    ConnectionStream& stream = *connection.stream;
    if (!stream.handshaken() && !stream.handshake()) {
        finish(connection, false);
        return;
    }
    for (;;) {
        stream.beginRequest();
        const bool last = m_stopping || connection.served + 1 >= m_limits.requestsPerConnection;
        bool clientCloses = false;
        const bool answered = process_request(stream, last, clientCloses, nullptr);
        ++connection.served;
        if (!answered || last || clientCloses || stream.overLimit() || stream.timedOut()) {
            finish(connection, answered && stream.overLimit());
            return;
        }
        if (!stream.hasBufferedInput())
            break;
    }
    park(connection);
}

void HttpServer::finish(Connection& connection, bool linger)
{
    std::unique_ptr<Connection> owned;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_connections.find(connection.id);
        if (found == m_connections.end())
            return;
        owned = std::move(found->second);
        m_connections.erase(found);
    }
    if (linger)
        owned->stream->lingeringClose();
}

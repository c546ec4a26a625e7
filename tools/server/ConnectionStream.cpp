#include "ConnectionStream.h"

#include <openssl/err.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

void addressOf(int fd, bool peer, std::string& ip, int& port)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if ((peer ? ::getpeername(fd, any, &length) : ::getsockname(fd, any, &length)) != 0)
        return;
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
        ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

} // namespace

ConnectionStream::ConnectionStream(int fd, SSL* tls, const ConnectionLimits& limits)
    : m_fd(fd), m_tls(tls), m_limits(limits), m_handshaken(tls == nullptr)
{
    beginRequest();
}

ConnectionStream::~ConnectionStream()
{
    if (m_tls) {
        if (m_handshaken)
            SSL_shutdown(m_tls); // one non-blocking attempt at a close_notify; the client may be gone
        SSL_free(m_tls);
        ERR_clear_error();
    }
    if (m_timedOut) {
        // A client that stopped reading gets a reset: what waits in our buffers for it is dropped, not kept.
        const linger reset{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    ::close(m_fd);
}

bool ConnectionStream::waitFor(short events, Clock::time_point deadline) const
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            m_timedOut = true;
            return false;
        }
        pollfd p{m_fd, events, 0};
        const int n = ::poll(&p, 1, int(std::min<long long>(left, 1000000)));
        if (n > 0)
            return (p.revents & (events | POLLHUP | POLLERR)) != 0;
        if (n < 0 && errno != EINTR)
            return false;
    }
}

bool ConnectionStream::handshake()
{
    const auto deadline = Clock::now() + m_limits.io;
    while (!m_handshaken) {
        ERR_clear_error();
        const int result = SSL_accept(m_tls);
        if (result == 1) {
            m_handshaken = true;
            break;
        }
        const int error = SSL_get_error(m_tls, result);
        if ((error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) ||
            !waitFor(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline))
            return false;
    }
    return true;
}

void ConnectionStream::beginRequest()
{
    m_requestBytes = 0;
    m_requestDeadline = Clock::now() + m_limits.request;
    m_overLimit = false;
}

bool ConnectionStream::hasBufferedInput() const
{
    return m_begin < m_end || (m_tls && SSL_pending(m_tls) > 0);
}

ssize_t ConnectionStream::fill()
{
    const auto deadline = std::min(Clock::now() + m_limits.io, m_requestDeadline);
    for (;;) {
        ssize_t n = 0;
        int wanted = POLLIN;
        if (m_tls) {
            ERR_clear_error();
            const int result = SSL_read(m_tls, m_buffer, int(sizeof m_buffer));
            if (result > 0)
                n = result;
            else {
                const int error = SSL_get_error(m_tls, result);
                if (error == SSL_ERROR_ZERO_RETURN)
                    return 0;
                if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                    return -1;
                wanted = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
                n = -1;
            }
        } else {
            n = ::recv(m_fd, m_buffer, sizeof m_buffer, 0);
            if (n == 0)
                return 0;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return -1;
        }
        if (n > 0) {
            m_begin = 0;
            m_end = std::size_t(n);
            return n;
        }
        if (!waitFor(short(wanted), deadline))
            return -1;
    }
}

ssize_t ConnectionStream::read(char* ptr, size_t size)
{
    const std::size_t allowed = m_limits.requestBytes - std::min(m_requestBytes, m_limits.requestBytes);
    if (allowed == 0) {
        m_overLimit = true;
        return 0;
    }
    if (m_begin == m_end) {
        const ssize_t n = fill();
        if (n <= 0)
            return n;
    }
    const std::size_t n = std::min({size, m_end - m_begin, allowed});
    std::memcpy(ptr, m_buffer + m_begin, n);
    m_begin += n;
    m_requestBytes += n;
    return ssize_t(n);
}

ssize_t ConnectionStream::write(const char* ptr, size_t size)
{
    const auto deadline = Clock::now() + m_limits.io;
    for (;;) {
        int wanted = POLLOUT;
        if (m_tls) {
            ERR_clear_error();
            const int result = SSL_write(m_tls, ptr, int(std::min<size_t>(size, 1 << 30)));
            if (result > 0)
                return result;
            const int error = SSL_get_error(m_tls, result);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                return -1;
            wanted = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
        } else {
            const ssize_t n = ::send(m_fd, ptr, size, MSG_NOSIGNAL);
            if (n >= 0)
                return n;
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return -1;
        }
        if (!waitFor(short(wanted), deadline))
            return -1;
    }
}

bool ConnectionStream::is_readable() const
{
    return hasBufferedInput() || waitFor(POLLIN, Clock::now() + m_limits.io);
}

bool ConnectionStream::is_writable() const
{
    return waitFor(POLLOUT, Clock::now() + m_limits.io);
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const
{
    addressOf(m_fd, true, ip, port);
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const
{
    addressOf(m_fd, false, ip, port);
}

void ConnectionStream::lingeringClose()
{
    if (m_tls && m_handshaken)
        SSL_shutdown(m_tls);
    ::shutdown(m_fd, SHUT_WR);
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    char discard[16384];
    std::size_t drained = 0;
    while (drained < (std::size_t(1) << 20) && waitFor(POLLIN, deadline)) {
        const ssize_t n = ::recv(m_fd, discard, sizeof discard, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            break;
        drained += std::size_t(std::max<ssize_t>(n, 0));
    }
}

void ConnectionStream::abort()
{
    ::shutdown(m_fd, SHUT_RDWR);
}

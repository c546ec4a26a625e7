#pragma once

#include "support/LoopbackPort.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// HTTP by hand on loopback, for requests that no client library would send (a URI of megabytes, a stamp nobody
// issued) and for clients that misbehave (never send, read a byte a second).
namespace rawhttp {

struct Response
{
    int status = 0;                       // 0: no answer
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QByteArray header(const char* name) const { return headers.value(QByteArray(name).toLower()); }
};

inline bool sendAll(int fd, const QByteArray& bytes)
{
    qint64 sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

// Waits up to `milliseconds` for bytes; what came (empty when the peer closed or nothing came), -1 in `state` on a
// reset or failure, 0 on an orderly end or time-out, 1 when bytes came.
inline QByteArray receive(int fd, int milliseconds, int& state, size_t most = 65536)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, milliseconds) <= 0) {
        state = 0;
        return {};
    }
    QByteArray buffer(int(most), Qt::Uninitialized);
    const ssize_t n = ::recv(fd, buffer.data(), most, 0);
    state = n > 0 ? 1 : (n == 0 ? 0 : -1);
    buffer.resize(int(std::max<ssize_t>(n, 0)));
    return buffer;
}

// Reads one response (by Content-Length, else to the end of the connection) within `milliseconds`.
inline Response readResponse(int fd, int milliseconds = 10000)
{
    Response response;
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    int headEnd = -1;
    qint64 length = -1;
    for (;;) {
        if (headEnd < 0 && (headEnd = data.indexOf("\r\n\r\n")) >= 0) {
            const QList<QByteArray> lines = data.left(headEnd).split('\n');
            response.status = lines.value(0).split(' ').value(1).toInt();
            for (int i = 1; i < lines.size(); ++i) {
                const int colon = lines[i].indexOf(':');
                if (colon > 0)
                    response.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                            lines[i].mid(colon + 1).trimmed());
            }
            const QByteArray contentLength = response.header("Content-Length");
            length = contentLength.isEmpty() ? (response.status == 304 ? 0 : -1) : contentLength.toLongLong();
        }
        if (headEnd >= 0 && length >= 0 && data.size() - headEnd - 4 >= length)
            break;
        const int left = milliseconds - int(timer.elapsed());
        int state = 0;
        const QByteArray more = left > 0 ? receive(fd, left, state) : QByteArray();
        if (state <= 0)
            break;
        data += more;
    }
    if (headEnd >= 0)
        response.body = data.mid(headEnd + 4, length >= 0 ? int(length) : -1);
    return response;
}

// The TCP state of a connection (TCP_ESTABLISHED, TCP_CLOSE after a reset, ...).
inline int connectionState(int fd)
{
    tcp_info info{};
    socklen_t length = sizeof info;
    return ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 ? info.tcpi_state : -1;
}

// One request on a connection of its own.
inline Response exchange(int port, const QByteArray& request, int milliseconds = 10000)
{
    const int fd = connectToLoopback(port);
    if (fd < 0)
        return {};
    Response response;
    if (sendAll(fd, request))
        response = readResponse(fd, milliseconds);
    ::close(fd);
    return response;
}

inline QByteArray get(const QByteArray& target, const QByteArray& headers = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}

} // namespace rawhttp

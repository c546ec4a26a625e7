#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A loopback port that nothing listens on right now (another process may still take it before the caller does).
inline int freeLoopbackPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    const bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                       ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    ::close(s);
    return bound ? ntohs(addr.sin_port) : 0;
}

// A connected blocking socket to the loopback port, or -1 when nothing accepts it; `receiveBuffer` > 0 shrinks the
// client's window before it connects.
inline int connectToLoopback(int port, int receiveBuffer = 0)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0)
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<unsigned short>(port));
    if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

// Something accepts connections on the loopback port.
inline bool acceptsOnLoopback(int port)
{
    const int s = connectToLoopback(port);
    if (s >= 0)
        ::close(s);
    return s >= 0;
}

#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A listening socket on a free loopback port; `port` receives the port.
inline int listenOnLoopback(int& port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener, 8);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return listener;
}

// A server on a loopback port that hangs: it takes every connection, sends it `greeting` (nothing by default, or the
// start of an answer) and then never another byte, until it is destroyed.
class SilentServer
{
public:
    explicit SilentServer(std::string greeting = {}) : m_greeting(std::move(greeting))
    {
        m_socket = listenOnLoopback(port);
        m_thread = std::thread([this] { serve(); });
    }
    ~SilentServer()
    {
        ::shutdown(m_socket, SHUT_RDWR);
        ::close(m_socket);
        m_thread.join();
        for (int client : m_clients)
            ::close(client);
    }

    // Connections taken so far.
    int connections()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return int(m_clients.size());
    }

    int port = 0;

private:
    void serve()
    {
        for (;;) {
            const int client = ::accept(m_socket, nullptr, nullptr);
            if (client < 0)
                return;
            if (!m_greeting.empty()) {
                char request[4096];
                [[maybe_unused]] const ssize_t n = ::recv(client, request, sizeof request, 0);
                ::send(client, m_greeting.data(), m_greeting.size(), MSG_NOSIGNAL);
            }
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_clients.push_back(client);
        }
    }

    std::string m_greeting;
    int m_socket = -1;
    std::mutex m_mutex;
    std::vector<int> m_clients;
    std::thread m_thread;
};

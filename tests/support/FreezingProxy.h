#pragma once

#include "support/LoopbackPort.h"
#include "support/SilentServer.h"

#include <poll.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

// A network between a client and a loopback server that can fall silent, as a switched-off server or a pulled cable
// is to a shop's seats: it forwards every connection to `targetPort` until freeze(), then holds every byte of the
// connections it has in both directions without a word (no reset, no close) until thaw(). A new connection meanwhile
// is refused at once, as the system refuses one to a host that is gone.
class FreezingProxy
{
public:
    explicit FreezingProxy(int targetPort) : m_target(targetPort)
    {
        m_listener = listenOnLoopback(port);
        m_thread = std::thread([this] { run(); });
    }
    ~FreezingProxy()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listener);
        for (const auto& [from, to] : m_peer)
            ::close(from);
    }
    FreezingProxy(const FreezingProxy&) = delete;
    FreezingProxy& operator=(const FreezingProxy&) = delete;

    void freeze() { m_frozen = true; }
    void thaw() { m_frozen = false; }

    int port = 0;

private:
    void run()
    {
        while (!m_stop) {
            std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
            if (!m_frozen)
                for (const auto& [from, to] : m_peer)
                    fds.push_back({from, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                const int client = ::accept(m_listener, nullptr, nullptr);
                if (client >= 0 && m_frozen)
                    refuse(client);
                else if (client >= 0)
                    join(client);
            }
            for (size_t i = 1; i < fds.size() && !m_frozen; ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                char buffer[65536];
                const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
                const auto peer = m_peer.find(fds[i].fd);
                if (peer == m_peer.end())
                    continue;
                if (n <= 0 || ::send(peer->second, buffer, size_t(n), MSG_NOSIGNAL) != n)
                    drop(fds[i].fd);
            }
        }
    }

    static void refuse(int client)
    {
        const linger reset{1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::close(client);
    }

    void join(int client)
    {
        const int server = connectToLoopback(m_target);
        if (server < 0) {
            ::close(client);
            return;
        }
        m_peer[client] = server;
        m_peer[server] = client;
    }

    void drop(int fd)
    {
        const auto peer = m_peer.find(fd);
        if (peer == m_peer.end())
            return;
        const int other = peer->second;
        m_peer.erase(fd);
        m_peer.erase(other);
        ::close(fd);
        ::close(other);
    }

    int m_target;
    int m_listener = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_frozen{false};
    std::map<int, int> m_peer;
    std::thread m_thread;
};

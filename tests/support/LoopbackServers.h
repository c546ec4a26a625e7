#pragma once

#include "UpdateRoutes.h"
#include "support/SilentServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

// Runs a server (plain or TLS) on a loopback port in a thread of its own until it is destroyed.
class ServerThread
{
public:
    explicit ServerThread(httplib::Server& server) : m_server(server)
    {
        port = server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ServerThread()
    {
        m_server.stop();
        m_thread.join();
    }

    int port = 0;

private:
    httplib::Server& m_server;
    std::thread m_thread;
};

// The update routes on a loopback port, with room for extra routes in front of them.
class UpdateServer
{
public:
    template <typename Setup> UpdateServer(const std::string& folder, Setup extraRoutes)
    {
        extraRoutes(server);
        UpdateRouteOptions options;
        options.folder = folder;
        addUpdateRoutes(server, options);
        running = std::make_unique<ServerThread>(server);
        port = running->port;
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port); }

    httplib::Server server;
    int port = 0;

private:
    std::unique_ptr<ServerThread> running;
};

// Answers every connection with the same raw bytes and then closes it, so that a test can send a
// response whose length header does not match its body.
class RawServer
{
public:
    explicit RawServer(std::string response) : m_response(std::move(response))
    {
        m_socket = listenOnLoopback(port);
        m_thread = std::thread([this] { serve(); });
    }
    ~RawServer()
    {
        m_stop = true;
        ::shutdown(m_socket, SHUT_RDWR);
        ::close(m_socket);
        m_thread.join();
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port) + path; }

    int port = 0;

private:
    void serve()
    {
        while (!m_stop) {
            const int client = ::accept(m_socket, nullptr, nullptr);
            if (client < 0)
                return;
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<size_t>(n));
            }
            ::send(client, m_response.data(), m_response.size(), MSG_NOSIGNAL);
            ::shutdown(client, SHUT_RDWR);
            ::close(client);
        }
    }

    std::string m_response;
    int m_socket = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

#pragma once

#include <httplib.h>

#include <openssl/ssl.h>

#include <chrono>
#include <cstddef>

// How long and how much one connection may take.
struct ConnectionLimits
{
    std::chrono::milliseconds io{10000};      // a read or a write that makes no progress
    std::chrono::milliseconds request{10000}; // the whole head of a request, from its first byte
    std::size_t requestBytes = 64 * 1024;     // the head and body of one request
};

// One accepted connection as httplib reads and writes it: a non-blocking socket, with or without TLS, read through a
// buffer. Every wait has a deadline, and a request that is longer than the limit reads as if the client had stopped
// there, so that httplib answers it (414 for the request line, 400 for the headers) instead of buffering it.
class ConnectionStream final : public httplib::Stream
{
public:
    // Takes the socket and, for TLS, the session on it (not yet accepted).
    ConnectionStream(int fd, SSL* tls, const ConnectionLimits& limits);
    ~ConnectionStream() override;
    ConnectionStream(const ConnectionStream&) = delete;
    ConnectionStream& operator=(const ConnectionStream&) = delete;

    // TLS: completes the handshake within the i/o time-out; false when it fails. Plain connections: true.
    bool handshake();
    bool handshaken() const { return m_handshaken; }
    // A new request begins: its deadline and its byte budget start afresh.
    void beginRequest();
    // Bytes of the next request are already here (pipelined, or held by TLS).
    bool hasBufferedInput() const;
    // The request was cut at the size limit, or a read or write ran out of time.
    bool overLimit() const { return m_overLimit; }
    bool timedOut() const { return m_timedOut; }
    // Closes the sending side and reads away what the client still sends, for at most a second, so that the answer
    // to a request that was not read whole reaches the client instead of being lost in a reset.
    void lingeringClose();
    // From another thread: ends every wait of this connection at once (the server is stopping).
    void abort();

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return m_fd; }

private:
    using Clock = std::chrono::steady_clock;
    // Waits until the socket is ready for `events` or the deadline passes; false on time-out or failure.
    bool waitFor(short events, Clock::time_point deadline) const;
    // Fills the buffer; the number of bytes, 0 when the client closed, -1 on time-out or failure.
    ssize_t fill();

    int m_fd;
    SSL* m_tls;
    ConnectionLimits m_limits;
    bool m_handshaken;
    char m_buffer[16384];
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::size_t m_requestBytes = 0;
    Clock::time_point m_requestDeadline;
    bool m_overLimit = false;
    mutable bool m_timedOut = false;
};

#include "LoadGenerator.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

struct LoadGenerator::Lane
{
    bool active = false;
    const Visit* visit = nullptr;
    std::size_t index = 0;
    std::vector<std::pair<int, int>> connections; // port, socket
    int fd = -1;
    bool connecting = false;
    std::string out;
    std::size_t sent = 0;
    std::string head;
    bool headDone = false;
    long long length = -1; // -1: to the end of the connection
    long long body = 0;
    int status = 0;
    bool closeAfter = false;
    Clock::time_point started;
};

namespace {

long long headerNumber(const std::string& head, const char* name)
{
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const std::size_t at = lower.find(std::string("\r\n") + name + ":");
    return at == std::string::npos ? -1 : std::atoll(lower.c_str() + at + 3 + std::strlen(name));
}

bool headerSays(const std::string& head, const char* text)
{
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower.find(text) != std::string::npos;
}

} // namespace

LoadGenerator::LoadGenerator(std::vector<Visit> visits, int kinds) : m_visits(std::move(visits)), m_kinds(kinds)
{
    if (m_visits.empty())
        throw std::invalid_argument("no visits");
}

LoadGenerator::~LoadGenerator() = default;

LoadGenerator::Result LoadGenerator::saturate(int lanes, double warmup, double seconds, long maxRequests)
{
    return run(lanes, warmup, seconds, maxRequests, 0);
}

LoadGenerator::Result LoadGenerator::paced(double visitsPerSecond, double seconds, int maxLanes)
{
    return run(maxLanes, 0, seconds, 1L << 40, visitsPerSecond);
}

void LoadGenerator::watch(Lane& lane, int fd, std::uint32_t events, bool add)
{
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    ::epoll_ctl(m_epoll, add ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, &event);
    if (std::size_t(fd) >= m_byFd.size())
        m_byFd.resize(std::size_t(fd) + 1024, nullptr);
    m_byFd[std::size_t(fd)] = &lane;
}

bool LoadGenerator::startVisit(Lane& lane)
{
    lane.visit = &m_visits[m_nextVisit++ % m_visits.size()];
    lane.index = 0;
    lane.active = true;
    startRequest(lane);
    return true;
}

void LoadGenerator::closeConnections(Lane& lane)
{
    for (const auto& [port, fd] : lane.connections) {
        ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
        m_byFd[std::size_t(fd)] = nullptr;
        ::close(fd);
    }
    lane.connections.clear();
    lane.fd = -1;
}

void LoadGenerator::startRequest(Lane& lane)
{
    if (lane.index >= lane.visit->size()) {
        // The program ends: its connections go with it.
        closeConnections(lane);
        lane.active = false;
        return;
    }
    const Request& request = (*lane.visit)[lane.index];
    lane.fd = -1;
    for (const auto& [port, fd] : lane.connections)
        if (port == request.port)
            lane.fd = fd;
    lane.out = "GET " + request.target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: velkorn-bench\r\n" +
               request.headers + "\r\n";
    lane.sent = 0;
    lane.head.clear();
    lane.headDone = false;
    lane.length = -1;
    lane.body = 0;
    lane.status = 0;
    lane.closeAfter = false;
    lane.started = Clock::now();
    if (lane.fd < 0) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(std::uint16_t(request.port));
        const int result = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        lane.connections.emplace_back(request.port, fd);
        lane.fd = fd;
        lane.connecting = result != 0 && errno == EINPROGRESS;
        watch(lane, fd, EPOLLOUT, true);
        if (result != 0 && !lane.connecting) {
            finishRequest(lane, 0);
            return;
        }
        if (lane.connecting)
            return;
    }
    sendRequest(lane);
}

void LoadGenerator::sendRequest(Lane& lane)
{
    while (lane.sent < lane.out.size()) {
        const ssize_t n = ::send(lane.fd, lane.out.data() + lane.sent, lane.out.size() - lane.sent, MSG_NOSIGNAL);
        if (n > 0) {
            lane.sent += std::size_t(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            watch(lane, lane.fd, EPOLLOUT, false);
            return;
        }
        finishRequest(lane, 0);
        return;
    }
    watch(lane, lane.fd, EPOLLIN, false);
}

void LoadGenerator::receive(Lane& lane)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(lane.fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            // The end of the connection ends a body without a length; anything else is a failure.
            lane.closeAfter = true;
            finishRequest(lane, lane.headDone && lane.length < 0 ? lane.status : 0);
            return;
        }
        if (!lane.headDone) {
            lane.head.append(buffer, std::size_t(n));
            const std::size_t end = lane.head.find("\r\n\r\n");
            if (end == std::string::npos)
                continue;
            lane.headDone = true;
            lane.status = std::atoi(lane.head.c_str() + 9);
            lane.length = headerNumber(lane.head, "content-length");
            if (lane.length < 0 && (lane.status == 304 || lane.status == 204))
                lane.length = 0;
            lane.closeAfter = headerSays(lane.head.substr(0, end), "\r\nconnection: close");
            lane.body = static_cast<long long>(lane.head.size() - end - 4);
        } else {
            lane.body += n;
        }
        if (lane.length >= 0 && lane.body >= lane.length) {
            finishRequest(lane, lane.status);
            return;
        }
    }
}

void LoadGenerator::finishRequest(Lane& lane, int status)
{
    const Request& request = (*lane.visit)[lane.index];
    if (m_counting && m_result->requests < m_limit) {
        ++m_result->requests;
        if (status == 0 || status >= 400) {
            ++m_result->failures;
            ++m_result->failed[std::size_t(request.kind)];
            m_result->failure = status;
        }
        m_result->latencies[std::size_t(request.kind)].push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - lane.started).count());
    }
    if (status == 0 || lane.closeAfter) {
        for (auto it = lane.connections.begin(); it != lane.connections.end(); ++it) {
            if (it->second == lane.fd) {
                ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, lane.fd, nullptr);
                m_byFd[std::size_t(lane.fd)] = nullptr;
                ::close(lane.fd);
                lane.connections.erase(it);
                break;
            }
        }
    }
    ++lane.index;
    startRequest(lane);
}

LoadGenerator::Result LoadGenerator::run(int laneCount, double warmup, double seconds, long maxRequests,
                                         double visitsPerSecond)
{
    Result result;
    result.latencies.resize(std::size_t(m_kinds));
    result.failed.resize(std::size_t(m_kinds));
    m_result = &result;
    m_limit = maxRequests;
    m_counting = warmup <= 0;
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    std::vector<Lane> lanes(std::size_t(std::max(1, laneCount)));
    const bool paced = visitsPerSecond > 0;
    const auto start = Clock::now();
    const auto counted = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(warmup));
    const auto end = counted + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    const auto interval =
        paced ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / visitsPerSecond))
              : Clock::duration::zero();
    auto nextArrival = start;
    auto countStart = m_counting ? start : counted;
    if (!paced)
        for (Lane& lane : lanes)
            startVisit(lane);

    epoll_event events[512];
    for (;;) {
        auto now = Clock::now();
        if (!m_counting && now >= counted) {
            m_counting = true;
            countStart = now;
        }
        const bool over = now >= end || result.requests >= maxRequests;
        if (paced && !over) {
            while (nextArrival <= now) {
                nextArrival += interval;
                for (Lane& lane : lanes)
                    if (!lane.active) {
                        startVisit(lane);
                        break;
                    }
            }
        }
        if (over) {
            const bool running = std::any_of(lanes.begin(), lanes.end(), [](const Lane& l) { return l.active; });
            if (!paced || !running || now >= end + std::chrono::seconds(10)) {
                result.seconds = std::chrono::duration<double>(std::min(now, end) - countStart).count();
                break;
            }
        }
        if (!paced && now < end) {
            // Saturating: a lane whose visit ended takes the next one.
            for (Lane& lane : lanes)
                if (!lane.active)
                    startVisit(lane);
        }
        int timeout = 20;
        if (paced && !over)
            timeout = int(std::clamp<long long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(nextArrival - now).count(), 0, 20));
        const int n = ::epoll_wait(m_epoll, events, 512, timeout);
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            Lane* lane = std::size_t(fd) < m_byFd.size() ? m_byFd[std::size_t(fd)] : nullptr;
            if (!lane || lane->fd != fd)
                continue;
            if (lane->connecting) {
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
                lane->connecting = false;
                if (error != 0) {
                    finishRequest(*lane, 0);
                    continue;
                }
                sendRequest(*lane);
            } else if (lane->sent < lane->out.size()) {
                sendRequest(*lane);
            } else {
                receive(*lane);
            }
            if (!paced && !lane->active && !(Clock::now() >= end))
                startVisit(*lane);
        }
    }
    for (Lane& lane : lanes)
        closeConnections(lane);
    ::close(m_epoll);
    m_epoll = -1;
    m_result = nullptr;
    return result;
}

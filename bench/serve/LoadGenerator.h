#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A load generator on loopback: dealers' visits (a list of GET requests each, in order, over keep-alive connections
// that the visit opens and closes as the program does) run from one thread on non-blocking sockets, and every
// request's latency is kept by its kind.
class LoadGenerator
{
public:
    struct Request
    {
        int kind = 0;
        int port = 0;
        std::string target;
        std::string headers; // extra header lines, each ending in "\r\n"
    };
    using Visit = std::vector<Request>;

    struct Result
    {
        double seconds = 0;
        long requests = 0;
        long failures = 0;                          // no answer, or a status of 400 and above
        std::vector<long> failed;                   // by kind
        int failure = 0;                            // the status of the last failure (0: no answer)
        std::vector<std::vector<double>> latencies; // milliseconds, by kind
    };

    LoadGenerator(std::vector<Visit> visits, int kinds);
    ~LoadGenerator();
    LoadGenerator(const LoadGenerator&) = delete;
    LoadGenerator& operator=(const LoadGenerator&) = delete;

    // Keeps `lanes` visits going at once (each starts the next when it ends): for `warmup` seconds, not counted, then
    // for `seconds`, or until `maxRequests` were counted.
    Result saturate(int lanes, double warmup, double seconds, long maxRequests);
    // Starts visits at a steady rate, whether or not the earlier ones have ended (at most `maxLanes` at once), for
    // `seconds`; the visits still running then are let finish.
    Result paced(double visitsPerSecond, double seconds, int maxLanes);

private:
    struct Lane;
    using Clock = std::chrono::steady_clock;

    Result run(int lanes, double warmup, double seconds, long maxRequests, double visitsPerSecond);
    bool startVisit(Lane& lane);
    void startRequest(Lane& lane);
    void sendRequest(Lane& lane);
    void receive(Lane& lane);
    void finishRequest(Lane& lane, int status);
    void closeConnections(Lane& lane);
    void watch(Lane& lane, int fd, std::uint32_t events, bool add);

    std::vector<Visit> m_visits;
    int m_kinds;
    std::size_t m_nextVisit = 0;
    int m_epoll = -1;
    std::vector<Lane*> m_byFd;
    Result* m_result = nullptr;
    bool m_counting = false;
    long m_limit = 0;
};

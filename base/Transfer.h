#pragma once

#include "base/StopToken.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

// The one HTTP client of the program, on libcurl: the feed and thumbnail downloads of the synchronisation and the
// update engine's session both go through it. One object is one connection that later requests reuse.
//
// Every transfer runs in a loop that looks at the stop token and the stall limit every 50 ms, whatever the server
// does, so a shutdown never waits on a silent server.
namespace base {

class Transfer
{
public:
    struct Limits
    {
        int connectTimeoutMs = 15000;
        int stallTimeoutMs = 30000; // nothing received for this long ends the transfer as timed out
        qint64 maxBytes = 0;        // a body beyond this is cut off (what came before stays delivered); 0: no cap
    };

    enum class Method
    {
        Get,
        Post,
        ConnectOnly // connects and ends (probes an FTP host)
    };

    struct Request
    {
        QByteArray url;
        Method method = Method::Get;
        QList<QByteArray> headers;
        QByteArray body; // Post
        QByteArray agent;
        QByteArray proxy;
        bool followRedirects = false;
        bool freshConnect = false;
        // Blocks handed to the callback are at most this long; 0: as they arrive.
        qint64 blockSize = 0;
        // Only http and https are spoken unless the caller also allows ftp (the update engine's FTP mode).
        bool allowFtp = false;
        QByteArray ftpUser;
        QByteArray ftpPassword;
        bool ftpActive = false;
        // Basic credentials for an http(s) request. libcurl sends them to the request's own host, port and scheme
        // only: a redirect to anywhere else goes without them.
        QByteArray httpUser;
        QByteArray httpPassword;
        // Certificates are checked against the system's store, or against this bundle (PEM) when it is set.
        QByteArray caBundle;
        // Called from the transfer's loop every 50 ms or sooner, whatever the server does; false ends the transfer
        // as Stopped. Lets a caller on the user-interface thread keep its window alive and cancel a silent server.
        std::function<bool()> idle;
    };

    enum class Outcome
    {
        Completed,
        Failed,   // refused, broken or unreachable (see error)
        TimedOut, // no byte within the stall limit
        Stopped,  // the stop token was raised
        CutOff,   // the body passed the size cap
        Refused   // the block callback answered false
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        long status = 0;     // HTTP status (FTP: the last reply code); 0 when no response came
        qint64 received = 0; // body bytes handed to the callback
        QString error;       // libcurl's text for anything but Completed and Refused
    };

    // Called for every block of the body; false ends the transfer (Refused). An exception thrown here ends the
    // transfer and is thrown again by run().
    using BlockHandler = std::function<bool(const char* data, qint64 size)>;

    Transfer();
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // False when libcurl could not give a handle; run() then fails every request.
    bool isValid() const;

    void setLimits(const Limits& limits) { m_limits = limits; }
    const Limits& limits() const { return m_limits; }
    void setStopToken(StopToken stop) { m_stop = std::move(stop); }

    Result run(const Request& request, const BlockHandler& onBlock);

    // The response so far; meant for the block callback, which sees them before the first block.
    long responseCode() const;
    qint64 announcedLength() const; // Content-Length (FTP: the listed size), 0 when none

private:
    struct Handles;
    std::unique_ptr<Handles> m_handles;
    Limits m_limits;
    StopToken m_stop;
};

} // namespace base

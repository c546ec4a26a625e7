#pragma once

#include "base/StopToken.h"
#include "base/Transfer.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace update {

// The engine's "internet session" on the program's transfer core. Requests on it stream the body in blocks of at
// most 4,096 bytes to a callback, so memory use does not grow with the transfer.
class HttpTransfer
{
public:
    HttpTransfer();
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    bool isValid() const { return m_transfer.isValid(); }

    void setAgent(const QString& agent) { m_agent = agent.toUtf8(); }
    void setProxy(const QString& proxy) { m_proxy = proxy.toUtf8(); }
    // Connect time-out, and the time after which a transfer that receives nothing counts as broken.
    void setTimeouts(int connectSeconds, int stallSeconds);
    void setFtpLogin(const QString& user, const QString& password, bool passive);
    // Basic credentials for the next http(s) requests (empty: none). The transfer core never lets them follow a
    // redirect to another host, port or scheme.
    void setHttpLogin(const QString& user, const QString& password)
    {
        m_httpUser = user.toUtf8();
        m_httpPassword = password.toUtf8();
    }
    // A PEM bundle to check server certificates against instead of the system's store (tests).
    void setCaBundle(const QString& path) { m_caBundle = path.toUtf8(); }
    // Looked at during a transfer, also while it waits for the server; a stop aborts it (the transfer then ends as
    // broken). Lets a shutdown end a check that hangs on a silent server.
    void setStopToken(base::StopToken stop) { m_transfer.setStopToken(std::move(stop)); }
    // Asked every 50 ms during a transfer (see base::Transfer::Request::idle); false ends the transfer as broken.
    void setIdle(std::function<bool()> idle) { m_idle = std::move(idle); }

    struct Response
    {
        bool opened = false;    // a response arrived (false: the request could not be made at all)
        long status = 0;        // HTTP status (FTP: the last reply code)
        bool readError = false; // the body broke off
        bool stopped = false;   // a callback ended the transfer
        QString error;          // libcurl's text for a failure
    };

    // Called once before the first block (or at the end for an empty body) with the status and the
    // announced length (0 when none); false ends the transfer without reading the body.
    using ResponseHandler = std::function<bool(long status, qint64 announcedLength)>;
    // Called for every block; false ends the transfer.
    using BlockHandler = std::function<bool(const char* data, qint64 size)>;

    // A GET (or an FTP download) with extra header lines. Exceptions thrown by the handlers propagate.
    Response get(const QString& url, const QList<QByteArray>& headers, const ResponseHandler& onResponse,
                 const BlockHandler& onBlock);
    // A POST of body with extra header lines; the answer goes to onBlock.
    Response post(const QString& url, const QList<QByteArray>& headers, const QByteArray& body,
                  const BlockHandler& onBlock);

    // Only connects (used to probe an FTP host).
    Response connectOnly(const QString& url);

private:
    Response perform(base::Transfer::Method method, const QString& url, const QList<QByteArray>& headers,
                     const QByteArray& body, const ResponseHandler& onResponse, const BlockHandler& onBlock);

    base::Transfer m_transfer;
    QByteArray m_agent;
    QByteArray m_proxy;
    QByteArray m_ftpUser;
    QByteArray m_ftpPassword;
    bool m_ftpPassive = true;
    std::function<bool()> m_idle;
    QByteArray m_httpUser;
    QByteArray m_httpPassword;
    QByteArray m_caBundle;
};

} // namespace update

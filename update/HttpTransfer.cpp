#include "update/HttpTransfer.h"

#include <utility>

namespace update {

namespace {

constexpr qint64 blockSize = 4096;

} // namespace

HttpTransfer::HttpTransfer()
{
    setTimeouts(30, 60);
}

HttpTransfer::~HttpTransfer() = default;

void HttpTransfer::setTimeouts(int connectSeconds, int stallSeconds)
{
    m_transfer.setLimits({connectSeconds * 1000, stallSeconds * 1000, 0});
}

void HttpTransfer::setFtpLogin(const QString& user, const QString& password, bool passive)
{
    m_ftpUser = user.toUtf8();
    m_ftpPassword = password.toUtf8();
    m_ftpPassive = passive;
}

HttpTransfer::Response HttpTransfer::get(const QString& url, const QList<QByteArray>& headers,
                                         const ResponseHandler& onResponse, const BlockHandler& onBlock)
{
    return perform(base::Transfer::Method::Get, url, headers, {}, onResponse, onBlock);
}

HttpTransfer::Response HttpTransfer::post(const QString& url, const QList<QByteArray>& headers, const QByteArray& body,
                                          const BlockHandler& onBlock)
{
    return perform(base::Transfer::Method::Post, url, headers, body, {}, onBlock);
}

HttpTransfer::Response HttpTransfer::connectOnly(const QString& url)
{
    return perform(base::Transfer::Method::ConnectOnly, url, {}, {}, {}, {});
}

HttpTransfer::Response HttpTransfer::perform(base::Transfer::Method method, const QString& url,
                                             const QList<QByteArray>& headers, const QByteArray& body,
                                             const ResponseHandler& onResponse, const BlockHandler& onBlock)
{
    Response response;
    if (!isValid())
        return response;

    base::Transfer::Request request;
    request.method = method;
    request.url = url.toUtf8();
    request.headers = headers;
    request.body = body;
    request.agent = m_agent;
    request.proxy = m_proxy;
    request.followRedirects = true;
    request.blockSize = blockSize;
    request.idle = m_idle;
    request.caBundle = m_caBundle;
    if (url.startsWith("ftp://", Qt::CaseInsensitive)) {
        request.allowFtp = true;
        request.ftpUser = m_ftpUser;
        request.ftpPassword = m_ftpPassword;
        request.ftpActive = !m_ftpPassive;
    } else {
        request.httpUser = m_httpUser;
        request.httpPassword = m_httpPassword;
    }

    // The response handler sees the status and the announced length once, before the first block.
    bool responded = false;
    const base::Transfer::Result result = m_transfer.run(request, [&](const char* data, qint64 size) {
        if (!responded) {
            responded = true;
            if (onResponse && !onResponse(m_transfer.responseCode(), m_transfer.announcedLength()))
                return false;
        }
        return !onBlock || onBlock(data, size);
    });

    const bool completed = result.outcome == base::Transfer::Outcome::Completed;
    response.status = result.status;
    response.stopped = result.outcome == base::Transfer::Outcome::Refused;
    response.error = result.error;

    // A response whose body never arrived (empty, cut off, or a redirect loop) still has its status.
    if (!responded && response.status > 0) {
        responded = true;
        if (onResponse && !onResponse(response.status, m_transfer.announcedLength()))
            response.stopped = true;
    }
    response.opened = responded || completed;
    response.readError = response.opened && !completed && !response.stopped;
    return response;
}

} // namespace update

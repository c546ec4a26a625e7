#include "catalog/LookupService.h"

#include "catalog/BackgroundCodeIndex.h"
#include "catalog/LookupChannel.h"
#include "platform/PrivateFiles.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>

namespace catalog {

namespace channel = lookupchannel;

LookupService::LookupService(QObject* parent) : QObject(parent), m_context(new QObject)
{
    m_thread.setObjectName(QStringLiteral("lookup-service"));
    m_context->moveToThread(&m_thread);
}

LookupService::~LookupService()
{
    stop();
    delete m_context;
}

bool LookupService::start(const QString& path)
{
    if (m_serving)
        return true;
    if (path.isEmpty())
        return false;
    // The lock says who serves and dies with its holder. The file stays; it may exist already.
    const QString lockPath = path + QStringLiteral(".lock");
    platform::writeNewFile(lockPath, {});
    if (!m_lock.lock(lockPath, std::chrono::milliseconds(0)))
        return false;
    m_stopping = false;
    m_thread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        m_context, [&] { listening = listen(path); }, Qt::BlockingQueuedConnection);
    m_serving = listening;
    if (!listening)
        stop();
    return listening;
}

void LookupService::stop()
{
    if (m_thread.isRunning()) {
        m_stopping = true;
        QMetaObject::invokeMethod(
            m_context,
            [this] {
                // Closing the server removes the socket file; the clients go with their parent's children.
                delete m_server;
                m_server = nullptr;
                qDeleteAll(m_context->children());
                m_clients = 0;
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    m_lock.unlock();
    m_serving = false;
}

void LookupService::setIndex(std::shared_ptr<const CodeIndex> index)
{
    const std::lock_guard<std::mutex> guard(m_indexMutex);
    m_index = std::move(index);
}

std::shared_ptr<const CodeIndex> LookupService::index() const
{
    const std::lock_guard<std::mutex> guard(m_indexMutex);
    return m_index;
}

void LookupService::follow(BackgroundCodeIndex* source)
{
    setIndex(source->index());
    connect(source, &BackgroundCodeIndex::rebuilding, this, [this] { setIndex(nullptr); });
    connect(source, &BackgroundCodeIndex::ready, this, [this, source] { setIndex(source->index()); });
}

bool LookupService::listen(const QString& path)
{
    // Holding the lock, no live program serves here: a socket file left is a killed program's.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(m_context);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(kMaxClients);
    if (!m_server->listen(path)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, m_context, [this] { acceptClients(); });
    return true;
}

void LookupService::acceptClients()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (m_clients >= kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        serve(socket);
    }
}

void LookupService::serve(QLocalSocket* socket)
{
    ++m_clients;
    // The server parents its pending sockets; the clients belong to the context, which stop() clears.
    socket->setParent(m_context);
    connect(socket, &QObject::destroyed, m_context, [this] { --m_clients; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    deadline->start(kClientTimeMs);
    auto request = std::make_shared<Request>();
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, request] { take(socket, request.get()); });
}

void LookupService::take(QLocalSocket* socket, Request* request)
{
    QByteArray* buffer = &request->bytes;
    const auto refuse = [socket] {
        socket->abort();
        socket->deleteLater();
    };
    if (request->answered)
        return refuse(); // one request per connection
    buffer->append(socket->read(4 + channel::kMaxRequestBytes - buffer->size()));
    if (buffer->size() < 4)
        return;
    const quint32 size = qFromBigEndian<quint32>(buffer->constData());
    if (size > channel::kMaxRequestBytes)
        return refuse();
    if (buffer->size() < 4 + qint64(size))
        return;
    if (buffer->size() > 4 + qint64(size) || socket->bytesAvailable() > 0)
        return refuse();
    const QByteArray reply = answer(buffer->mid(4));
    buffer->clear();
    if (reply.isEmpty())
        return refuse();
    request->answered = true;
    socket->write(channel::frame(reply));
    // Hangs up once the answer is out; the deadline ends a client that does not take it.
    socket->disconnectFromServer();
}

QByteArray LookupService::answer(const QByteArray& requestBody) const
{
    const std::optional<QStringList> texts = channel::decodeRequest(requestBody);
    if (!texts)
        return {};
    const std::shared_ptr<const CodeIndex> current = index();
    if (!current)
        return channel::encodeRefusal(channel::Status::NotReady);
    channel::Answers answers;
    answers.reserve(texts->size());
    int rows = 0;
    for (const QString& text : *texts) {
        if (m_stopping)
            return {};
        int total = 0;
        answers << current->search(text, channel::kMaxRows - rows + 1, &total);
        rows += total;
        if (rows > channel::kMaxRows)
            return channel::encodeRefusal(channel::Status::TooLarge);
    }
    return channel::encodeAnswer(answers);
}

} // namespace catalog

#include "support/SyncTestSupport.h"

#include "support/CatalogProbe.h"

#include "MasterCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/DatabaseCreator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

void runOnCatalog(const QString& file, const QStringList& statements)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = catalog::openDatabase(file, name);
        for (const QString& sql : statements) {
            QSqlQuery q(db);
            if (!q.exec(sql))
                throw std::runtime_error((sql + ": " + catalog::errorText(q.lastError())).toStdString());
        }
    }
    catalog::closeDatabase(name);
}

void TestCatalog::create(const QList<int>& ids, const QDateTime& lastUpdate)
{
    QDir(dir.path()).mkpath(QStringLiteral("images"));
    catalog::createDatabase(file());
    QStringList sql;
    for (const int id : ids) {
        sql << QStringLiteral("insert into item (id, total_weight, operation_pressure_default, operation_pressure_max, "
                              "operation_pressure_min, operation_space, assembly_height, piston_type, "
                              "loading_capacity, type, stud, update_time, vehicle1, vehicle2) values "
                              "(%1, 1.5, 5, 8, 0.5, 200, 300, 1, 'old', 1, 9, '2001-01-01 10:00:00', 1, 2)")
                   .arg(id)
            << QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) values "
                              "(%1, %2, 1, 'OLD-%2', 'old%2')")
                   .arg(id * 100)
                   .arg(id)
            << QStringLiteral("insert into item_pictures (id, item_id, picture_url) values (%1, %2, 'old%2.jpg')")
                   .arg(id * 100)
                   .arg(id);
    }
    sql << (lastUpdate.isValid() ? QStringLiteral("insert into params (last_update) values ('%1')")
                                       .arg(lastUpdate.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                                 : QStringLiteral("insert into params (last_update) values (null)"));
    runOnCatalog(file(), sql);
}

void TestCatalog::exec(const QStringList& statements) const
{
    runOnCatalog(file(), statements);
}

TestCatalog::~TestCatalog()
{
    if (!connection.isEmpty())
        catalog::closeDatabase(connection);
}

namespace {

QSqlDatabase readConnection(const TestCatalog& c)
{
    auto& self = const_cast<TestCatalog&>(c);
    if (self.connection.isEmpty()) {
        self.connection = QUuid::createUuid().toString();
        return catalog::openDatabase(c.file(), self.connection);
    }
    return QSqlDatabase::database(self.connection);
}

} // namespace

QString TestCatalog::column(const QString& sql) const
{
    return queryRows(readConnection(*this), sql);
}

QDateTime TestCatalog::lastUpdate() const
{
    QSqlQuery q(readConnection(*this));
    if (q.exec(QStringLiteral("select last_update from params")) && q.next())
        return q.value(0).toDateTime();
    return QDateTime();
}

void createMaster(const QString& file, const QStringList& statements)
{
    catalog::createDatabase(file);
    ensureDeletedItemTable(file);
    runOnCatalog(file, statements);
}

FaultServer::FaultServer(std::function<void(int, int, const std::atomic_bool&)> handler) : m_handler(std::move(handler))
{
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listen, 16) != 0)
        throw std::runtime_error("cannot listen");
    socklen_t len = sizeof addr;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] {
        std::vector<std::thread> workers;
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int s = ::accept(m_listen, nullptr, nullptr);
            if (s < 0)
                continue;
            const int index = m_connections++;
            workers.emplace_back([this, s, index] {
                m_handler(s, index, m_stop);
                ::close(s);
            });
        }
        for (auto& w : workers)
            w.join();
    });
}

FaultServer::~FaultServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

QByteArray readRequestLine(int socket)
{
    QByteArray head;
    char c;
    while (!head.endsWith("\r\n\r\n") && head.size() < 65536) {
        pollfd p{socket, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0 || ::recv(socket, &c, 1, 0) != 1)
            break;
        head += c;
    }
    return head.left(head.indexOf("\r\n"));
}

void sendAll(int socket, const QByteArray& bytes)
{
    qint64 sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

#include "catalog/LookupChannel.h"

#include "catalog/CatalogLocation.h"
#include "platform/PrivateFiles.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSysInfo>
#include <QtEndian>

namespace catalog::lookupchannel {

namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;
// The least a hit takes in an answer: three empty strings and two numbers. Bounds what a claimed count may reserve.
constexpr qint64 kLeastHitBytes = 3 * 4 + 2 * 4;

int remaining(const QDeadlineTimer& deadline)
{
    return int(qMax<qint64>(0, deadline.remainingTime()));
}

// Reads exactly `size` bytes unless the deadline passes or the program hangs up first.
bool readExactly(QLocalSocket& socket, qint64 size, const QDeadlineTimer& deadline, QByteArray* into)
{
    into->clear();
    while (into->size() < size) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(remaining(deadline)))
            return false;
        into->append(socket.read(size - into->size()));
    }
    return true;
}

} // namespace

QString socketPath(const CatalogLocation& location)
{
    const QString folder = platform::privateFolder(QStringLiteral("velkorn-lookup"));
    if (folder.isEmpty())
        return {};
    QString key;
    if (location.isServer()) {
        key = QStringLiteral("server\n%1\n%2\n%3")
                  .arg(location.host().toLower())
                  .arg(location.port())
                  .arg(location.path());
    } else {
        const QFileInfo file(location.path());
        const QString resolved = file.canonicalFilePath();
        key = QStringLiteral("file\n") + (resolved.isEmpty() ? file.absoluteFilePath() : resolved);
    }
    // The machine too: a cache folder in a home shared between machines must not join programs of two of them.
    key += QLatin1Char('\n') + location.user() + QLatin1Char('\n') + QSysInfo::machineHostName();
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return folder + QStringLiteral("catalog-") + QString::fromLatin1(hash);
}

QByteArray frame(const QByteArray& body)
{
    QByteArray framed(4, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(body.size()), framed.data());
    return framed + body;
}

QByteArray encodeRequest(const QStringList& normalisedTexts)
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kVersion << quint32(normalisedTexts.size());
    for (const QString& text : normalisedTexts)
        out << text;
    return body;
}

std::optional<QStringList> decodeRequest(const QByteArray& body)
{
    if (body.size() > kMaxRequestBytes)
        return std::nullopt;
    QDataStream in(body);
    in.setVersion(kStreamVersion);
    quint8 version = 0;
    quint32 count = 0;
    in >> version >> count;
    if (in.status() != QDataStream::Ok || version != kVersion || count > quint32(kMaxTexts))
        return std::nullopt;
    QStringList texts;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString text;
        in >> text;
        texts << text;
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return texts;
}

QByteArray encodeAnswer(const Answers& answers)
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kVersion << quint8(Status::Answered) << quint32(answers.size());
    for (const QVector<CodeHit>& hits : answers) {
        out << quint32(hits.size());
        for (const CodeHit& hit : hits)
            out << hit.code << hit.type << hit.ownCode << qint32(hit.itemId) << qint32(hit.codeTypeId);
    }
    return body;
}

QByteArray encodeRefusal(Status status)
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kVersion << quint8(status);
    return body;
}

std::optional<Answers> decodeAnswer(const QByteArray& body, int texts)
{
    if (body.size() > kMaxAnswerBytes)
        return std::nullopt;
    QDataStream in(body);
    in.setVersion(kStreamVersion);
    quint8 version = 0;
    quint8 status = 0xff;
    quint32 count = 0;
    in >> version >> status >> count;
    if (in.status() != QDataStream::Ok || version != kVersion || status != quint8(Status::Answered) ||
        count != quint32(texts))
        return std::nullopt;
    Answers answers(texts);
    // The program refuses an answer of more rows; a claim of more, or of more than the bytes left hold, reserves
    // nothing.
    qint64 rowsLeft = kMaxRows;
    for (QVector<CodeHit>& hits : answers) {
        quint32 rows = 0;
        in >> rows;
        if (in.status() != QDataStream::Ok || rows > rowsLeft || rows > in.device()->bytesAvailable() / kLeastHitBytes)
            return std::nullopt;
        rowsLeft -= rows;
        hits.resize(int(rows));
        for (CodeHit& hit : hits) {
            qint32 itemId = 0;
            qint32 codeTypeId = 0;
            in >> hit.code >> hit.type >> hit.ownCode >> itemId >> codeTypeId;
            hit.itemId = itemId;
            hit.codeTypeId = codeTypeId;
        }
        if (in.status() != QDataStream::Ok)
            return std::nullopt;
    }
    if (!in.atEnd())
        return std::nullopt;
    return answers;
}

std::optional<Answers> ask(const QString& path, const QStringList& normalisedTexts, int timeoutMs)
{
    if (path.isEmpty() || normalisedTexts.size() > kMaxTexts)
        return std::nullopt;
    const QByteArray request = frame(encodeRequest(normalisedTexts));
    if (request.size() - 4 > kMaxRequestBytes)
        return std::nullopt;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(remaining(deadline)))
        return std::nullopt;
    socket.write(request);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(remaining(deadline)))
            return std::nullopt;
    QByteArray header;
    QByteArray body;
    if (!readExactly(socket, 4, deadline, &header))
        return std::nullopt;
    const quint32 size = qFromBigEndian<quint32>(header.constData());
    if (size > kMaxAnswerBytes || !readExactly(socket, size, deadline, &body))
        return std::nullopt;
    return decodeAnswer(body, int(normalisedTexts.size()));
}

} // namespace catalog::lookupchannel

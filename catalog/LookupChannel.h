#pragma once

#include "catalog/CodeIndex.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace catalog {

class CatalogLocation;

// How velkorn-lookup asks the open program for code hits instead of starting a database engine of its own: a local
// socket of this user for one catalog, one request and one answer per connection. Each is a frame: a 32-bit
// big-endian length, then a QDataStream body that starts with the protocol version. The request carries normalised
// search texts; the answer, for each text in turn, CodeIndex::search() of it, or a refusal (no index in hand yet, too
// many rows) after which the asker reads the catalog itself.
namespace lookupchannel {

constexpr quint8 kVersion = 1;
constexpr int kMaxTexts = 1000;
constexpr qint64 kMaxRequestBytes = 1 << 20;
// Rows of one answer: more than a dealer's lookup ever prints; a wider search is left to the catalog itself.
constexpr int kMaxRows = 200000;
constexpr qint64 kMaxAnswerBytes = 64 << 20;

enum class Status : quint8
{
    Answered = 0,
    NotReady = 1,
    TooLarge = 2,
};

using Answers = QVector<QVector<CodeHit>>;

// The socket of the program that has this catalog open, in this user's private folder; the same for the program
// and every lookup of the same catalog (the resolved file, or the server string, and the catalog user) on this
// machine. Empty when this user has no private folder.
QString socketPath(const CatalogLocation& location);

// The body with its length in front.
QByteArray frame(const QByteArray& body);

QByteArray encodeRequest(const QStringList& normalisedTexts);
// Nothing for a body that is not a whole request of this version within the limits.
std::optional<QStringList> decodeRequest(const QByteArray& body);

QByteArray encodeAnswer(const Answers& answers);
QByteArray encodeRefusal(Status status);
// The answers to `texts` texts; nothing for a refusal or a body that is not a whole answer of this version within
// the limits.
std::optional<Answers> decodeAnswer(const QByteArray& body, int texts);

// Asks the program serving at `path`; nothing when none answers within `timeoutMs`, it refuses, or what it sends is
// not a sound answer.
std::optional<Answers> ask(const QString& path, const QStringList& normalisedTexts, int timeoutMs);

} // namespace lookupchannel

} // namespace catalog

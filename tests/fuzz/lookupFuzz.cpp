// The frames velkorn-lookup and the open program exchange over the catalog's local socket, which every process of
// the same user may write to. The first byte chooses the side: the program reading a request, or velkorn-lookup
// reading an answer to as many texts as it asked for. What decodes must be within the limits and read the same
// after writing it again.
#include "FuzzSupport.h"

#include "catalog/LookupChannel.h"

#include <QtEndian>

namespace channel = catalog::lookupchannel;

namespace {

void frameHoldsItsLength(const QByteArray& body)
{
    const QByteArray framed = channel::frame(body);
    if (framed.size() != body.size() + 4 || qFromBigEndian<quint32>(framed.constData()) != quint32(body.size()) ||
        framed.mid(4) != body)
        __builtin_trap();
}

void readRequest(const QByteArray& body)
{
    const std::optional<QStringList> texts = channel::decodeRequest(body);
    if (!texts)
        return;
    if (texts->size() > channel::kMaxTexts)
        __builtin_trap();
    // Every byte of a request is read: writing the texts again gives the same body (and so the same texts).
    if (channel::encodeRequest(*texts) != body)
        __builtin_trap();
    frameHoldsItsLength(body);
}

// The texts velkorn-lookup asked for: mostly as many as the answer claims, so that the rows get read, else a count
// of the selector byte's own.
int textsAsked(quint8 selector, const QByteArray& body)
{
    if (!(selector & 2) && body.size() >= 6) {
        const quint32 claimed = qFromBigEndian<quint32>(body.constData() + 2);
        if (claimed <= quint32(channel::kMaxTexts))
            return int(claimed);
    }
    return selector >> 2;
}

void readAnswer(quint8 selector, const QByteArray& body)
{
    const int texts = textsAsked(selector, body);
    const std::optional<channel::Answers> answers = channel::decodeAnswer(body, texts);
    if (!answers)
        return;
    if (answers->size() != texts)
        __builtin_trap();
    qsizetype rows = 0;
    for (const QVector<catalog::CodeHit>& hits : *answers)
        rows += hits.size();
    if (rows > channel::kMaxRows)
        __builtin_trap();
    // Every byte is read here too, so writing the answers again gives the same body (and so the same answers).
    if (channel::encodeAnswer(*answers) != body)
        __builtin_trap();
    frameHoldsItsLength(body);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const quint8 selector = data[0];
    const QByteArray body = fuzz::bytesOf(data + 1, size - 1);
    if (selector & 1)
        readAnswer(selector, body);
    else
        readRequest(body);
    return 0;
}

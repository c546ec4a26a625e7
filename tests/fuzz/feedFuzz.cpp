// Feed documents as the catalog server sends them: parsed, then every record's fields read and converted the way
// the feed applier does. FeedError is the reader's answer to a bad field; anything else is a finding.
#include "FuzzSupport.h"

#include "sync/FeedDate.h"
#include "sync/FeedDocument.h"
#include "sync/FeedError.h"
#include "sync/FeedValues.h"

using namespace catalogsync;

namespace {

const char* const kNumberFields[] = {"total_weight",           "loading_capacity",           "operation_pressure_min",
                                     "operation_pressure_max", "operation_pressure_default", "assembly_height",
                                     "operation_space"};
const char* const kIntegerFields[] = {"id", "item_id", "code_type_id", "type"};
const char* const kTextFields[] = {"code", "search_code", "pic", "piston_type"};
const char* const kDateFields[] = {"update_time", "delete_time"};

template <typename Convert> void readField(const FeedRecord& record, const char* name, Convert convert)
{
    try {
        convert(record.field(name));
    } catch (const FeedError&) {
        // A field the applier would refuse with a feed error: the expected answer to a bad value.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FeedDocumentPtr doc = FeedDocument::parseBytes(fuzz::bytesOf(data, size));
    if (!doc)
        return 0;
    int seen = 0;
    for (const FeedRecord record : *doc) {
        if (++seen > 1000)
            break;
        for (const char* name : kNumberFields)
            readField(record, name, [](const QString& t) { feedNumber(t); });
        for (const char* name : kIntegerFields) {
            readField(record, name, [](const QString& t) { feedInt32(t); });
            readField(record, name, [](const QString& t) { feedInt16(t); });
            readField(record, name, [](const QString& t) { feedZeroPrefixedInt16(t); });
        }
        for (const char* name : kTextFields) {
            readField(record, name, [](const QString& t) { feedText(t, 20); });
            readField(record, name, [](const QString& t) { isPlainFileName(t); });
        }
        for (const char* name : kDateFields)
            readField(record, name, [](const QString& t) { FeedDateText(FeedDateTime(t)); });
        record.hasField("id");
    }
    if (seen <= 1000 && doc->recordCount() != seen)
        __builtin_trap(); // the count and the walk must agree
    return 0;
}

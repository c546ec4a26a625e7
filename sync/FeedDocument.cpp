#include "sync/FeedDocument.h"

#include "sync/FeedError.h"

#include <QFile>

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <cstring>
#include <mutex>

namespace catalogsync {

namespace {

// Safe reading: external entities, DTDs and the network stay out; entity references are kept as nodes (never
// expanded), so an entity bomb costs nothing and FeedRecord::field refuses the field. XML_PARSE_HUGE is not set,
// so libxml2 keeps its limits on text size and nesting depth.
const int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// No column takes more than a few dozen characters; a value beyond this is a broken or hostile feed.
const int kMaxFieldBytes = 64 * 1024;

// Larger feed files are refused unread (the downloads are capped well below this).
const qint64 kMaxFeedBytes = qint64(1) << 30;

void initParser()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); }); // the parser's globals, once, before any thread parses
}

} // namespace

// The input of a document: its bytes, or its file, which stays open so that it can be read again after it has
// been removed from its folder.
struct FeedDocument::Source
{
    QByteArray bytes;
    std::unique_ptr<QFile> file;
    std::mutex mutex; // walks on different threads share the file's position

    int read(qint64 offset, char* buffer, int length)
    {
        if (!file) {
            const qint64 n = qBound(qint64(0), qint64(bytes.size()) - offset, qint64(length));
            std::memcpy(buffer, bytes.constData() + offset, size_t(n));
            return int(n);
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (!file->seek(offset))
            return -1;
        return int(file->read(buffer, length));
    }
};

// One walk through a document with libxml2's streaming reader: only the record at hand is ever built as a tree.
class FeedRecordPass
{
public:
    explicit FeedRecordPass(std::shared_ptr<FeedDocument::Source> source) : m_source(std::move(source))
    {
        initParser();
        m_reader = xmlReaderForIO(readInput, nullptr, this, nullptr, nullptr, kParseOptions);
        if (m_reader)
            xmlTextReaderSetStructuredErrorHandler(m_reader, noteError, this);
        else
            m_status = -1;
    }
    ~FeedRecordPass()
    {
        if (m_reader)
            xmlFreeTextReader(m_reader);
    }
    FeedRecordPass(const FeedRecordPass&) = delete;
    FeedRecordPass& operator=(const FeedRecordPass&) = delete;

    // Moves to the next record and, when `record` is given, takes its fields out. False after the last record,
    // and when the input is broken (see broken()).
    bool next(FeedRecord* record);
    bool broken() const { return m_status < 0; }
    // Reads the rest of the input: true when all of it was well-formed XML.
    bool finish();

private:
    static int readInput(void* context, char* buffer, int length)
    {
        auto* pass = static_cast<FeedRecordPass*>(context);
        const int n = pass->m_source->read(pass->m_offset, buffer, length);
        if (n > 0)
            pass->m_offset += n;
        return n;
    }
    // The reader only says that reading failed; whether the document is well-formed is the parser's own verdict,
    // which namespace and validity complaints leave untouched. Its context comes with every report.
    static void noteError(void* context, xmlErrorPtr error)
    {
        auto* pass = static_cast<FeedRecordPass*>(context);
        if (error->level == XML_ERR_FATAL)
            pass->m_fatal = true;
        if (error->ctxt)
            pass->m_parser = static_cast<xmlParserCtxtPtr>(error->ctxt);
    }
    bool takeRecord(FeedRecord* record);

    enum class Stage
    {
        BeforeRoot,
        BeforeFirstItem,
        InRecords,
        Done
    };
    std::shared_ptr<FeedDocument::Source> m_source;
    qint64 m_offset = 0;
    xmlTextReaderPtr m_reader = nullptr;
    xmlParserCtxtPtr m_parser = nullptr;
    bool m_fatal = false;
    Stage m_stage = Stage::BeforeRoot;
    int m_status = 1; // of the last move: 1 moved, 0 end of input, -1 failure
};

bool FeedRecordPass::next(FeedRecord* record)
{
    if (m_status != 1 || m_stage == Stage::Done)
        return false;
    if (m_stage == Stage::BeforeRoot) {
        while ((m_status = xmlTextReaderRead(m_reader)) == 1 &&
               xmlTextReaderNodeType(m_reader) != XML_READER_TYPE_ELEMENT) {
        }
        if (m_status != 1 || xmlTextReaderIsEmptyElement(m_reader) == 1) {
            m_stage = Stage::Done;
            return false;
        }
        m_status = xmlTextReaderRead(m_reader); // the root's first child, or its end
        m_stage = Stage::BeforeFirstItem;
    } else if (m_stage == Stage::InRecords) {
        m_status = xmlTextReaderNext(m_reader); // past the record handed out last
    }
    // Children of the root before the first "item" are passed over; every element from there on is a record.
    while (m_status == 1 && xmlTextReaderDepth(m_reader) >= 1) {
        if (xmlTextReaderNodeType(m_reader) == XML_READER_TYPE_ELEMENT &&
            (m_stage == Stage::InRecords ||
             xmlStrEqual(xmlTextReaderConstLocalName(m_reader), reinterpret_cast<const xmlChar*>("item")))) {
            m_stage = Stage::InRecords;
            return takeRecord(record);
        }
        m_status = xmlTextReaderNext(m_reader);
    }
    m_stage = Stage::Done;
    return false;
}

bool FeedRecordPass::takeRecord(FeedRecord* record)
{
    if (!record)
        return true;
    const xmlNode* node = xmlTextReaderExpand(m_reader);
    if (!node) {
        m_status = -1;
        return false;
    }
    record->m_fields.clear();
    for (const xmlNode* element = node->children; element; element = element->next) {
        if (element->type != XML_ELEMENT_NODE || record->find(reinterpret_cast<const char*>(element->name)))
            continue;
        FeedRecord::Field field;
        field.name = reinterpret_cast<const char*>(element->name);
        QByteArray text;
        for (const xmlNode* c = element->children; c && field.defect == FeedRecord::Defect::None; c = c->next) {
            if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
                if (c->content)
                    text += reinterpret_cast<const char*>(c->content);
                if (text.size() > kMaxFieldBytes)
                    field.defect = FeedRecord::Defect::TooLong;
            } else if (c->type != XML_COMMENT_NODE && c->type != XML_PI_NODE) {
                field.defect = FeedRecord::Defect::NotText;
            }
        }
        if (field.defect == FeedRecord::Defect::None)
            field.value = QString::fromUtf8(text);
        record->m_fields.append(field);
    }
    return true;
}

bool FeedRecordPass::finish()
{
    while (m_status == 1)
        m_status = xmlTextReaderRead(m_reader);
    return m_status == 0 && !m_fatal && (!m_parser || m_parser->wellFormed);
}

const FeedRecord::Field* FeedRecord::find(const char* name) const
{
    for (const Field& f : m_fields) {
        if (f.name == name)
            return &f;
    }
    return nullptr;
}

QString FeedRecord::field(const char* name) const
{
    const Field* f = find(name);
    if (!f)
        return QString();
    if (f->defect == Defect::TooLong)
        throw FeedError(QStringLiteral("field <%1> is too long").arg(QLatin1String(name)));
    if (f->defect == Defect::NotText)
        throw FeedError(QStringLiteral("field <%1> holds more than text").arg(QLatin1String(name)));
    return f->value;
}

bool FeedRecord::hasField(const char* name) const
{
    return find(name) != nullptr;
}

FeedDocument::FeedDocument(std::shared_ptr<Source> source, int records)
    : m_source(std::move(source)), m_records(records)
{
}

FeedDocument::~FeedDocument() = default;

// The check that decides whether a document exists at all: the whole input, counted but not kept.
std::shared_ptr<const FeedDocument> FeedDocument::check(std::shared_ptr<Source> source)
{
    FeedRecordPass pass(source);
    int records = 0;
    while (pass.next(nullptr))
        ++records;
    if (!pass.finish())
        return nullptr;
    return std::shared_ptr<const FeedDocument>(new FeedDocument(std::move(source), records));
}

std::shared_ptr<const FeedDocument> FeedDocument::parseFile(const QString& path)
{
    auto source = std::make_shared<Source>();
    source->file = std::make_unique<QFile>(path);
    if (!source->file->open(QIODevice::ReadOnly | QIODevice::Unbuffered) || source->file->size() == 0 ||
        source->file->size() > kMaxFeedBytes)
        return nullptr;
    return check(std::move(source));
}

std::shared_ptr<const FeedDocument> FeedDocument::parseBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return nullptr;
    auto source = std::make_shared<Source>();
    source->bytes = bytes;
    return check(std::move(source));
}

FeedDocument::Iterator FeedDocument::begin() const
{
    Iterator it;
    it.m_pass = std::make_shared<FeedRecordPass>(m_source);
    return ++it;
}

FeedDocument::Iterator& FeedDocument::Iterator::operator++()
{
    if (!m_pass)
        return *this;
    if (!m_pass->next(&m_record)) {
        const bool broken = m_pass->broken();
        m_pass.reset();
        if (broken)
            throw FeedError(QStringLiteral("the feed document cannot be read again"));
    }
    return *this;
}

} // namespace catalogsync

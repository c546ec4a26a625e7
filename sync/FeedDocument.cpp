#include "sync/FeedDocument.h"

#include "sync/FeedError.h"

#include <QFile>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <mutex>

namespace catalogsync {

namespace {

// Safe reading: external entities, DTDs and the network stay out; entity references are kept as nodes (never
// expanded), so an entity bomb costs nothing and FeedRecord::field refuses the field. XML_PARSE_HUGE is not set,
// so libxml2 keeps its limits on text size and nesting depth.
const int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

bool isElementNamed(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

xmlNode* childNamed(const xmlNode* parent, const char* name)
{
    for (xmlNode* c = parent->children; c; c = c->next) {
        if (isElementNamed(c, name))
            return c;
    }
    return nullptr;
}

// The records follow the first "item"; only elements count, so comments or processing instructions between
// them are passed over.
xmlNode* nextElement(xmlNode* node)
{
    for (node = node ? node->next : nullptr; node && node->type != XML_ELEMENT_NODE; node = node->next) {
    }
    return node;
}

// No column takes more than a few dozen characters; a value beyond this is a broken or hostile feed.
const int kMaxFieldBytes = 64 * 1024;

// Larger feed files are refused unread (the downloads are capped well below this).
const qint64 kMaxFeedBytes = qint64(1) << 30;

} // namespace

QString FeedRecord::field(const char* name) const
{
    const xmlNode* element = childNamed(m_node, name);
    if (!element)
        return QString();
    QByteArray text;
    for (const xmlNode* c = element->children; c; c = c->next) {
        if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
            if (c->content)
                text += reinterpret_cast<const char*>(c->content);
            if (text.size() > kMaxFieldBytes)
                throw FeedError(QStringLiteral("field <%1> is too long").arg(QLatin1String(name)));
        } else if (c->type != XML_COMMENT_NODE && c->type != XML_PI_NODE) {
            throw FeedError(QStringLiteral("field <%1> holds more than text").arg(QLatin1String(name)));
        }
    }
    return QString::fromUtf8(text);
}

bool FeedRecord::hasField(const char* name) const
{
    return childNamed(m_node, name) != nullptr;
}

FeedDocument::~FeedDocument()
{
    xmlFreeDoc(m_doc);
}

std::shared_ptr<const FeedDocument> FeedDocument::parseFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFeedBytes)
        return nullptr;
    return parseBytes(file.readAll());
}

std::shared_ptr<const FeedDocument> FeedDocument::parseBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return nullptr;
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); }); // the parser's globals, once, before any thread parses
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt)
        return nullptr;
    xmlDoc* doc = xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), nullptr, nullptr, kParseOptions);
    const bool wellFormed = ctxt->wellFormed != 0;
    xmlFreeParserCtxt(ctxt);
    if (doc && !wellFormed) {
        xmlFreeDoc(doc);
        doc = nullptr;
    }
    if (!doc)
        return nullptr;
    return std::shared_ptr<const FeedDocument>(new FeedDocument(doc));
}

FeedDocument::Iterator& FeedDocument::Iterator::operator++()
{
    m_node = nextElement(m_node);
    return *this;
}

FeedDocument::Iterator FeedDocument::begin() const
{
    const xmlNode* root = xmlDocGetRootElement(m_doc);
    return Iterator(root ? childNamed(root, "item") : nullptr);
}

int FeedDocument::recordCount() const
{
    int n = 0;
    for (auto it = begin(); it != end(); ++it)
        ++n;
    return n;
}

} // namespace catalogsync

#pragma once

#include <QString>

#include <memory>

struct _xmlDoc;
struct _xmlNode;

namespace catalogsync {

// One record element of a feed document: its field elements are read by name.
class FeedRecord
{
public:
    explicit FeedRecord(_xmlNode* node) : m_node(node) {}

    // The character data of the first child element called `name`; the empty text when there is none or it is
    // empty. Throws FeedError when that element holds anything but text (child elements, entity references).
    QString field(const char* name) const;

    // True when a child element of that name exists.
    bool hasField(const char* name) const;

private:
    _xmlNode* m_node;
};

// A parsed feed document (items, codes, pictures or deleted items). The records are the first child element of
// the root called "item" and every element after it under the root, in document order.
class FeedDocument
{
public:
    ~FeedDocument();
    FeedDocument(const FeedDocument&) = delete;
    FeedDocument& operator=(const FeedDocument&) = delete;

    // Parses a file: no DTD loading, no entity substitution, no network, blanks between elements dropped, the
    // parser's size limits kept on. Returns null when the file is missing or is no well-formed XML.
    static std::shared_ptr<const FeedDocument> parseFile(const QString& path);
    static std::shared_ptr<const FeedDocument> parseBytes(const QByteArray& bytes);

    class Iterator
    {
    public:
        explicit Iterator(_xmlNode* node) : m_node(node) {}
        FeedRecord operator*() const { return FeedRecord(m_node); }
        Iterator& operator++();
        bool operator!=(const Iterator& other) const { return m_node != other.m_node; }

    private:
        _xmlNode* m_node;
    };

    Iterator begin() const;
    Iterator end() const { return Iterator(nullptr); }
    int recordCount() const;

private:
    explicit FeedDocument(_xmlDoc* doc) : m_doc(doc) {}
    _xmlDoc* m_doc;
};

using FeedDocumentPtr = std::shared_ptr<const FeedDocument>;

} // namespace catalogsync

#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>

namespace catalogsync {

class FeedRecordPass;

// One record element of a feed document: the text of its field elements, by name. A plain value, taken out of the
// document when the record is reached, so it outlives the walk that produced it.
class FeedRecord
{
public:
    // The character data of the first child element called `name`; the empty text when there is none or it is
    // empty. Throws FeedError when that element holds anything but text (child elements, entity references).
    QString field(const char* name) const;

    // True when a child element of that name exists.
    bool hasField(const char* name) const;

private:
    friend class FeedRecordPass;
    enum class Defect
    {
        None,
        TooLong,
        NotText
    };
    struct Field
    {
        QByteArray name;
        QString value;
        Defect defect = Defect::None;
    };
    const Field* find(const char* name) const;
    QVector<Field> m_fields; // first occurrence of each name, in document order
};

// A feed document (items, codes, pictures or deleted items). The records are the first child element of the root
// called "item" and every element after it under the root, in document order.
//
// The document is never held as a tree: parsing checks the whole input once, record by record, and every walk
// (begin()) reads it again from the start, so memory stays flat however long the feed is. A document parsed from a
// file keeps that file open, so the file may be removed from its folder right after parsing.
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

    // Walks the records once; copies of an iterator share the walk. ++ throws FeedError in the unlikely case that
    // the input cannot be read again.
    class Iterator
    {
    public:
        Iterator() = default; // the end
        const FeedRecord& operator*() const { return m_record; }
        const FeedRecord* operator->() const { return &m_record; }
        Iterator& operator++();
        bool operator!=(const Iterator& other) const { return bool(m_pass) != bool(other.m_pass); }

    private:
        friend class FeedDocument;
        std::shared_ptr<FeedRecordPass> m_pass; // null at the end
        FeedRecord m_record;
    };

    Iterator begin() const;
    Iterator end() const { return Iterator(); }
    int recordCount() const { return m_records; }

    struct Source;

private:
    explicit FeedDocument(std::shared_ptr<Source> source, int records);
    static std::shared_ptr<const FeedDocument> check(std::shared_ptr<Source> source);
    std::shared_ptr<Source> m_source;
    int m_records;
};

using FeedDocumentPtr = std::shared_ptr<const FeedDocument>;

} // namespace catalogsync

#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QSqlDatabase;

namespace catalog {

// One row of the code search: a matching code beside its item's own (type-1) code.
struct CodeHit
{
    QString code;    // the matching code as printed
    QString type;    // name of the matching code's type
    QString ownCode; // the item's type-1 code
    int itemId = 0;
    int codeTypeId = 0;
};

// One ITEM_CODE row as the index reads it. A null item or code type joins nothing; a null search code matches
// nothing.
struct CodeRecord
{
    int id = 0;
    int itemId = 0;
    int codeTypeId = 0;
    QString code;
    QString searchCode;
    bool nullItem = false;
    bool nullType = false;
    bool nullSearchCode = false;
};

// The catalog's codes in memory, answering the code search without the database: a code matches when its stored
// search code is LIKE "%" + text + "%" ('%' any run, '_' one character, case-sensitive, nothing folded), and it
// yields one row per type-1 code of its item, exactly as the search statement's joins do.
//
// The search codes lie in one UTF-8 buffer, ordered by printed code. A search looks for the pattern's longest
// literal piece (sixteen bytes at a time) and checks the whole pattern only on the codes it lands in: a linear scan of
// a few megabytes beats an n-gram or suffix index here once their memory and build time count, and it keeps '%' and
// '_' trivially exact. Immutable once built; shared between threads freely.
class CodeIndex
{
public:
    using StopRequested = std::function<bool()>;

    CodeIndex() = default;

    // Builds from the rows of ITEM_CODE, the identifiers of ITEM and the rows of ITEM_CODE_TYPE (id, name).
    static CodeIndex build(const std::vector<CodeRecord>& codes, std::vector<int> itemIds,
                           const QVector<QPair<int, QString>>& types);

    // Reads ITEM, ITEM_CODE and ITEM_CODE_TYPE on the given connection (which must belong to the calling thread).
    // Throws DatabaseError. Returns an empty index early once stop() answers true.
    static CodeIndex load(const QSqlDatabase& db, const StopRequested& stop = {});
    // Reads only what the search for these normalised texts needs: the codes that match one of them, the own codes
    // of their items, and the code types. Its search() answers those texts exactly as the whole index does, at the
    // cost of one pass over the codes per text instead of reading them all. Throws DatabaseError.
    static CodeIndex loadMatching(const QSqlDatabase& db, const QStringList& normalisedTexts);

    // The rows whose search code matches "%" + text + "%": those whose search code starts with the text first, then
    // the rest, each group ordered by printed code. At most `limit` rows when limit >= 0; `total`, when given, receives
    // the number of rows without the limit.
    QVector<CodeHit> search(const QString& normalisedText, int limit = -1, int* total = nullptr) const;

    // Adds a table of the codes that hold each three-byte piece, so that a search reads only the codes holding every
    // piece of its longest literal instead of the whole buffer: worth its few megabytes and tens of milliseconds for a
    // batch of thousands of searches (velkorn-lookup --stdin), not for a window. Answers stay the same, in the same
    // order. Call before the index is shared between threads.
    void addPieceTable();

    // Number of matching rows only (no texts made); for counts and benchmarks.
    int count(const QString& normalisedText) const;

    int codeCount() const { return int(m_type.size()); }
    // Bytes held by the index's buffers.
    std::size_t memoryBytes() const;

private:
    void collect(const QString& normalisedText, const std::function<void(uint32_t code, bool prefix)>& hit) const;
    std::string_view searchCode(uint32_t i) const;
    // Rows a matching code yields: one per own code of its item.
    int ownCodeCount(uint32_t code) const;
    QString text(uint32_t textIndex) const;

    std::string m_search;          // search codes, UTF-8, each followed by '\0'
    std::vector<uint32_t> m_start; // start of each search code in m_search, plus the end
    std::string m_texts;           // printed codes (one per code, then own codes not among them), UTF-8
    std::vector<uint32_t> m_textStart;
    std::vector<uint16_t> m_type; // index into m_typeNames / m_typeIds
    std::vector<uint32_t> m_item; // index into m_itemIds
    QStringList m_typeNames;
    std::vector<int> m_typeIds;
    std::vector<int> m_itemIds;
    std::vector<uint32_t> m_ownStart; // per item: range in m_own
    std::vector<uint32_t> m_own;      // text indexes of the items' type-1 codes
    // With addPieceTable: per bucket of three-byte pieces, a range in m_pieceCodes of the codes holding a piece of
    // that bucket, ascending. Pieces that share a bucket only add codes to check.
    std::vector<uint32_t> m_pieceStart;
    std::vector<uint32_t> m_pieceCodes;
};

} // namespace catalog

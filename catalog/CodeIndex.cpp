#include "catalog/CodeIndex.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/SearchCode.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <unordered_map>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace catalog {

namespace {

// Bytes of the UTF-8 character that starts with this byte (1 for a stray continuation byte, so walks end).
inline std::size_t charLength(unsigned char lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

// A run of the pattern between two '%': literal bytes and '_' counts in order.
struct Token
{
    int anyChars = 0;    // > 0: that many '_'
    std::string literal; // otherwise
};
using Segment = std::vector<Token>;

struct Pattern
{
    std::vector<Segment> segments;
    bool anchored = false; // the text does not begin with '%': a prefix hit must match from the first character
    std::string anchor;    // the longest literal, to look for in the buffer; empty when there is none
};

Pattern parse(const QString& text)
{
    Pattern p;
    p.anchored = !text.startsWith(QLatin1Char('%'));
    Segment current;
    auto closeSegment = [&] {
        if (!current.empty())
            p.segments.push_back(std::move(current));
        current.clear();
    };
    const QByteArray utf8 = text.toUtf8();
    for (int i = 0; i < utf8.size(); ++i) {
        const char c = utf8.at(i);
        if (c == '%') {
            closeSegment();
        } else if (c == '_') {
            if (current.empty() || current.back().anyChars == 0)
                current.push_back(Token{});
            ++current.back().anyChars;
        } else {
            if (current.empty() || current.back().anyChars > 0)
                current.push_back(Token{});
            current.back().literal += c;
        }
    }
    closeSegment();
    for (const Segment& s : p.segments)
        for (const Token& t : s)
            if (t.literal.size() > p.anchor.size())
                p.anchor = t.literal;
    return p;
}

// End of the segment matched at `at`, or npos.
std::size_t matchAt(std::string_view s, std::size_t at, const Segment& segment)
{
    std::size_t q = at;
    for (const Token& t : segment) {
        if (t.anyChars > 0) {
            for (int k = 0; k < t.anyChars; ++k) {
                if (q >= s.size())
                    return std::string_view::npos;
                q += charLength(static_cast<unsigned char>(s[q]));
            }
            if (q > s.size())
                return std::string_view::npos;
        } else {
            if (s.size() - q < t.literal.size() || std::memcmp(s.data() + q, t.literal.data(), t.literal.size()) != 0)
                return std::string_view::npos;
            q += t.literal.size();
        }
    }
    return q;
}

// Segments in order, each at its leftmost place after the previous one: leftmost is never worse for '%' patterns.
// With `anchored`, the first segment must start at the first character.
bool matches(std::string_view s, const Pattern& p, bool anchored)
{
    std::size_t from = 0;
    for (std::size_t i = 0; i < p.segments.size(); ++i) {
        const Segment& segment = p.segments[i];
        std::size_t end = std::string_view::npos;
        if (i == 0 && anchored) {
            end = matchAt(s, 0, segment);
        } else {
            const std::string& lead = segment.front().literal;
            for (std::size_t at = from; at <= s.size();
                 at += at < s.size() ? charLength(static_cast<unsigned char>(s[at])) : 1) {
                // A segment that begins with a literal can only start where that literal is.
                if (!lead.empty() && (at = s.find(lead, at)) == std::string_view::npos)
                    break;
                end = matchAt(s, at, segment);
                if (end != std::string_view::npos)
                    break;
            }
        }
        if (end == std::string_view::npos)
            return false;
        from = end;
    }
    return true;
}

// The first occurrence of needle (at least one byte) in [at, end). With SSE2, sixteen places are tested at once
// for the needle's first and last byte and only those are compared in full; several times faster than memmem for
// the short needles people type.
const char* findBytes(const char* at, const char* end, std::string_view needle)
{
    const std::size_t k = needle.size();
#if defined(__SSE2__)
    if (k >= 2) {
        const __m128i first = _mm_set1_epi8(needle.front());
        const __m128i last = _mm_set1_epi8(needle.back());
        for (; end - at >= std::ptrdiff_t(k - 1 + 16); at += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k - 1));
            unsigned mask =
                unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
            while (mask) {
                const int bit = __builtin_ctz(mask);
                if (std::memcmp(at + bit + 1, needle.data() + 1, k - 2) == 0)
                    return at + bit;
                mask &= mask - 1;
            }
        }
    }
#endif
    if (end - at < std::ptrdiff_t(k))
        return nullptr;
    return static_cast<const char*>(memmem(at, std::size_t(end - at), needle.data(), k));
}

// Appends the UTF-8 of `s`. Codes are nearly always ASCII, copied byte for byte here: converting them through a
// QByteArray took a quarter of the index build.
void appendUtf8(std::string& out, const QString& s)
{
    const char16_t* const text = reinterpret_cast<const char16_t*>(s.constData());
    const std::size_t n = std::size_t(s.size());
    if (std::any_of(text, text + n, [](char16_t c) { return c >= 0x80; })) {
        const QByteArray bytes = s.toUtf8();
        out.append(bytes.constData(), std::size_t(bytes.size()));
        return;
    }
    const std::size_t at = out.size();
    out.resize(at + n);
    std::transform(text, text + n, out.begin() + std::ptrdiff_t(at), [](char16_t c) { return char(c); });
}

std::string utf8(const QString& s)
{
    std::string out;
    appendUtf8(out, s);
    return out;
}

// Buckets of the piece table: about five times the distinct pieces of a catalog's codes, a megabyte of starts.
constexpr int kPieceBits = 18;

inline uint32_t pieceBucket(const char* at)
{
    const uint32_t piece = uint32_t(static_cast<unsigned char>(at[0])) << 16 |
                           uint32_t(static_cast<unsigned char>(at[1])) << 8 | static_cast<unsigned char>(at[2]);
    return (piece * 2654435761u) >> (32 - kPieceBits);
}

template <typename T> std::size_t bytesOf(const std::vector<T>& v)
{
    return v.capacity() * sizeof(T);
}

} // namespace

int CodeIndex::ownCodeCount(uint32_t code) const
{
    return int(m_ownStart[m_item[code] + 1] - m_ownStart[m_item[code]]);
}

std::string_view CodeIndex::searchCode(uint32_t i) const
{
    return std::string_view(m_search.data() + m_start[i], m_start[i + 1] - m_start[i] - 1);
}

QString CodeIndex::text(uint32_t i) const
{
    return QString::fromUtf8(m_texts.data() + m_textStart[i], int(m_textStart[i + 1] - m_textStart[i]));
}

CodeIndex CodeIndex::build(const std::vector<CodeRecord>& codes, std::vector<int> itemIds,
                           const QVector<QPair<int, QString>>& types)
{
    if (types.size() > 0xFFFF)
        throw std::length_error("too many code types for the code index");
    CodeIndex index;
    std::unordered_map<int, uint16_t> typeIndex;
    for (const auto& t : types) {
        typeIndex.emplace(t.first, uint16_t(index.m_typeNames.size()));
        index.m_typeNames << t.second;
        index.m_typeIds.push_back(t.first);
    }
    std::sort(itemIds.begin(), itemIds.end());
    auto itemExists = [&](const CodeRecord& r) {
        return !r.nullItem && std::binary_search(itemIds.begin(), itemIds.end(), r.itemId);
    };

    // The type-1 codes per item: the join that gives each hit its own code, once per such code.
    std::unordered_map<int, std::vector<uint32_t>> ownRecords;
    for (uint32_t i = 0; i < codes.size(); ++i) {
        const CodeRecord& r = codes[i];
        if (!r.nullType && r.codeTypeId == 1 && itemExists(r))
            ownRecords[r.itemId].push_back(i);
    }

    std::vector<uint32_t> kept;
    std::vector<std::string> printed(codes.size());
    for (uint32_t i = 0; i < codes.size(); ++i) {
        const CodeRecord& r = codes[i];
        if (r.nullSearchCode || r.nullType || !typeIndex.count(r.codeTypeId) || !ownRecords.count(r.itemId) ||
            !itemExists(r))
            continue;
        kept.push_back(i);
        printed[i] = utf8(r.code);
    }
    for (const auto& own : ownRecords)
        for (uint32_t i : own.second)
            if (printed[i].empty())
                printed[i] = utf8(codes[i].code);

    std::sort(kept.begin(), kept.end(), [&](uint32_t a, uint32_t b) {
        const CodeRecord& x = codes[a];
        const CodeRecord& y = codes[b];
        if (const int c = printed[a].compare(printed[b]))
            return c < 0;
        if (x.codeTypeId != y.codeTypeId)
            return x.codeTypeId < y.codeTypeId;
        if (x.itemId != y.itemId)
            return x.itemId < y.itemId;
        return x.id < y.id;
    });

    // Texts: the kept codes in order, then the own codes that are not among them.
    std::vector<uint32_t> textOf(codes.size(), UINT32_MAX);
    std::size_t searchBytes = 0;
    std::size_t textBytes = 0;
    for (uint32_t i : kept) {
        searchBytes += std::size_t(codes[i].searchCode.size()) * 3 + 1;
        textBytes += printed[i].size();
    }
    index.m_search.reserve(searchBytes);
    index.m_texts.reserve(textBytes);
    index.m_start.reserve(kept.size() + 1);
    index.m_textStart.reserve(kept.size() + 1);
    index.m_type.reserve(kept.size());
    index.m_item.reserve(kept.size());

    std::unordered_map<int, uint32_t> itemSlot;
    for (uint32_t i : kept) {
        const CodeRecord& r = codes[i];
        textOf[i] = uint32_t(index.m_textStart.size());
        index.m_textStart.push_back(uint32_t(index.m_texts.size()));
        index.m_texts += printed[i];
        index.m_start.push_back(uint32_t(index.m_search.size()));
        appendUtf8(index.m_search, r.searchCode);
        index.m_search += '\0';
        index.m_type.push_back(typeIndex.at(r.codeTypeId));
        auto slot = itemSlot.find(r.itemId);
        if (slot == itemSlot.end()) {
            slot = itemSlot.emplace(r.itemId, uint32_t(index.m_itemIds.size())).first;
            index.m_itemIds.push_back(r.itemId);
        }
        index.m_item.push_back(slot->second);
    }
    index.m_start.push_back(uint32_t(index.m_search.size()));

    index.m_ownStart.reserve(index.m_itemIds.size() + 1);
    for (int itemId : index.m_itemIds) {
        index.m_ownStart.push_back(uint32_t(index.m_own.size()));
        std::vector<uint32_t> own = ownRecords.at(itemId);
        std::sort(own.begin(), own.end(), [&](uint32_t a, uint32_t b) { return printed[a] < printed[b]; });
        for (uint32_t i : own) {
            if (textOf[i] == UINT32_MAX) {
                textOf[i] = uint32_t(index.m_textStart.size());
                index.m_textStart.push_back(uint32_t(index.m_texts.size()));
                index.m_texts += printed[i];
            }
            index.m_own.push_back(textOf[i]);
        }
    }
    index.m_ownStart.push_back(uint32_t(index.m_own.size()));
    index.m_textStart.push_back(uint32_t(index.m_texts.size()));

    index.m_search.shrink_to_fit();
    index.m_texts.shrink_to_fit();
    index.m_textStart.shrink_to_fit();
    index.m_own.shrink_to_fit();
    return index;
}

namespace {

QVector<QPair<int, QString>> readTypes(const QSqlDatabase& db)
{
    QVector<QPair<int, QString>> types;
    QSqlQuery query = runQuery(db, QStringLiteral("select code_type_id, type from item_code_type"));
    while (query.next())
        types.append({query.value(0).toInt(), query.value(1).toString()});
    return types;
}

// The row of ITEM_CODE in the query's first five columns: id, item_id, code_type_id, code, search_code.
CodeRecord codeRecord(const QSqlQuery& query)
{
    CodeRecord r;
    r.id = query.value(0).toInt();
    const QVariant item = query.value(1);
    const QVariant type = query.value(2);
    const QVariant search = query.value(4);
    r.itemId = item.toInt();
    r.nullItem = item.isNull();
    r.codeTypeId = type.toInt();
    r.nullType = type.isNull();
    r.code = query.value(3).toString();
    r.searchCode = search.toString();
    r.nullSearchCode = search.isNull();
    return r;
}

} // namespace

CodeIndex CodeIndex::loadMatching(const QSqlDatabase& db, const QStringList& normalisedTexts)
{
    std::vector<CodeRecord> codes;
    std::vector<int> itemIds;
    QSet<int> seenCodes;
    QSet<int> seenItems;
    for (const QString& text : normalisedTexts) {
        // Each matching code comes with itself and with its item's own codes; an item that does not exist, or a
        // code without one, joins nothing, as in the whole index. One pass over the codes, probing only the hits:
        // the optimizer would rather walk every item and probe all its codes, which costs half as much again.
        QSqlQuery query = runQuery(
            db,
            QStringLiteral("select o.id, o.item_id, o.code_type_id, o.code, o.search_code, i.id from item_code m "
                           "join item i on i.id = m.item_id join item_code o on o.item_id = m.item_id and "
                           "(o.code_type_id = 1 or o.id = m.id) where m.search_code like cast(? as varchar(%1)) "
                           "plan join (m natural, i index (pk_item), o index (ix_item_code_item, pk_item_code))")
                .arg(kSearchParameterLength),
            {QStringLiteral("%") + text + QStringLiteral("%")});
        while (query.next()) {
            const int itemId = query.value(5).toInt();
            if (!seenItems.contains(itemId)) {
                seenItems.insert(itemId);
                itemIds.push_back(itemId);
            }
            CodeRecord r = codeRecord(query);
            if (!seenCodes.contains(r.id)) {
                seenCodes.insert(r.id);
                codes.push_back(std::move(r));
            }
        }
        if (query.lastError().isValid())
            throw DatabaseError(errorText(query.lastError()));
    }
    return build(codes, std::move(itemIds), readTypes(db));
}

CodeIndex CodeIndex::load(const QSqlDatabase& db, const StopRequested& stop)
{
    auto stopped = [&] { return stop && stop(); };

    const QVector<QPair<int, QString>> types = readTypes(db);
    std::vector<int> itemIds;
    {
        QSqlQuery query = runQuery(db, QStringLiteral("select id from item"));
        while (query.next())
            itemIds.push_back(query.value(0).toInt());
    }
    std::vector<CodeRecord> codes;
    {
        QSqlQuery query =
            runQuery(db, QStringLiteral("select id, item_id, code_type_id, code, search_code from item_code"));
        while (query.next()) {
            codes.push_back(codeRecord(query));
            if ((codes.size() & 0xFFF) == 0 && stopped())
                return {};
        }
        if (query.lastError().isValid())
            throw DatabaseError(errorText(query.lastError()));
    }
    if (stopped())
        return {};
    return build(codes, std::move(itemIds), types);
}

void CodeIndex::addPieceTable()
{
    const uint32_t n = uint32_t(m_type.size());
    std::vector<uint32_t> start((std::size_t(1) << kPieceBits) + 1, 0);
    std::vector<uint32_t> lastCode(std::size_t(1) << kPieceBits, UINT32_MAX);
    // Each code once per bucket: counted in the first pass, placed in the second.
    auto eachBucket = [&](const auto& use) {
        std::fill(lastCode.begin(), lastCode.end(), UINT32_MAX);
        for (uint32_t i = 0; i < n; ++i) {
            const std::string_view s = searchCode(i);
            for (std::size_t k = 0; k + 3 <= s.size(); ++k) {
                const uint32_t bucket = pieceBucket(s.data() + k);
                if (lastCode[bucket] != i) {
                    lastCode[bucket] = i;
                    use(bucket, i);
                }
            }
        }
    };
    eachBucket([&](uint32_t bucket, uint32_t) { ++start[bucket + 1]; });
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<uint32_t> codes(start.back());
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    eachBucket([&](uint32_t bucket, uint32_t i) { codes[next[bucket]++] = i; });
    m_pieceStart = std::move(start);
    m_pieceCodes = std::move(codes);
}

void CodeIndex::collect(const QString& normalisedText, const std::function<void(uint32_t, bool)>& hit) const
{
    const Pattern p = parse(normalisedText);
    const uint32_t n = uint32_t(m_type.size());
    auto check = [&](uint32_t i) {
        const std::string_view s = searchCode(i);
        if (!matches(s, p, false))
            return;
        hit(i, !p.anchored || matches(s, p, true));
    };
    if (p.anchor.empty()) {
        // Only '%' and '_': every code is a candidate.
        for (uint32_t i = 0; i < n; ++i)
            check(i);
        return;
    }
    if (!m_pieceStart.empty() && p.anchor.size() >= 3) {
        // Every match holds the anchor, so every piece of it: the codes in the two shortest lists of its pieces
        // (ascending, so in buffer order as the scan below finds them).
        std::vector<std::pair<uint32_t, uint32_t>> lists;
        for (std::size_t k = 0; k + 3 <= p.anchor.size(); ++k) {
            const uint32_t bucket = pieceBucket(p.anchor.data() + k);
            lists.emplace_back(m_pieceStart[bucket], m_pieceStart[bucket + 1]);
        }
        std::sort(lists.begin(), lists.end(),
                  [](const auto& a, const auto& b) { return a.second - a.first < b.second - b.first; });
        const auto [first, firstEnd] = lists.front();
        auto [other, otherEnd] = lists.size() > 1 ? lists[1] : lists.front();
        for (uint32_t k = first; k < firstEnd; ++k) {
            const uint32_t i = m_pieceCodes[k];
            while (other < otherEnd && m_pieceCodes[other] < i)
                ++other;
            if (other < otherEnd && m_pieceCodes[other] == i)
                check(i);
        }
        return;
    }
    const char* const base = m_search.data();
    const char* const end = base + m_search.size();
    const char* at = base;
    uint32_t i = 0;
    while (const char* found = findBytes(at, end, p.anchor)) {
        const auto offset = uint32_t(found - base);
        // Hits come in buffer order: the code is usually the current one or a little further on.
        for (int step = 0; step < 8 && m_start[i + 1] <= offset; ++step)
            ++i;
        if (m_start[i + 1] <= offset)
            i = uint32_t(std::upper_bound(m_start.begin() + i, m_start.end(), offset) - m_start.begin()) - 1;
        if (offset + p.anchor.size() > m_start[i + 1] - 1) {
            // Only a literal holding the separator byte can run past its code.
            at = found + 1;
            continue;
        }
        check(i);
        at = base + m_start[i + 1];
    }
}

QVector<CodeHit> CodeIndex::search(const QString& normalisedText, int limit, int* total) const
{
    std::vector<uint32_t> prefix;
    std::vector<uint32_t> rest;
    int rowCount = 0;
    collect(normalisedText, [&](uint32_t i, bool isPrefix) {
        (isPrefix ? prefix : rest).push_back(i);
        rowCount += ownCodeCount(i);
    });
    if (total)
        *total = rowCount;

    QVector<CodeHit> rows;
    auto add = [&](uint32_t i) {
        const uint32_t item = m_item[i];
        for (uint32_t k = m_ownStart[item]; k < m_ownStart[item + 1]; ++k) {
            if (limit >= 0 && rows.size() >= limit)
                return false;
            CodeHit h;
            h.code = text(i);
            h.type = m_typeNames.at(m_type[i]);
            h.codeTypeId = m_typeIds[m_type[i]];
            h.ownCode = text(m_own[k]);
            h.itemId = m_itemIds[item];
            rows.append(std::move(h));
        }
        return true;
    };
    rows.reserve(int(limit >= 0 ? std::min<std::size_t>(std::size_t(limit), prefix.size() + rest.size())
                                : prefix.size() + rest.size()));
    for (const auto* group : {&prefix, &rest})
        for (uint32_t i : *group)
            if (!add(i))
                return rows;
    return rows;
}

int CodeIndex::count(const QString& normalisedText) const
{
    int rows = 0;
    collect(normalisedText, [&](uint32_t i, bool) { rows += ownCodeCount(i); });
    return rows;
}

std::size_t CodeIndex::memoryBytes() const
{
    std::size_t names = 0;
    for (const QString& s : m_typeNames)
        names += std::size_t(s.capacity()) * 2;
    return m_search.capacity() + m_texts.capacity() + bytesOf(m_start) + bytesOf(m_textStart) + bytesOf(m_type) +
           bytesOf(m_item) + bytesOf(m_typeIds) + bytesOf(m_itemIds) + bytesOf(m_ownStart) + bytesOf(m_own) +
           bytesOf(m_pieceStart) + bytesOf(m_pieceCodes) + names;
}

} // namespace catalog

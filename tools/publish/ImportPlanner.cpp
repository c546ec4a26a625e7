#include "ImportPlanner.h"

#include "PictureFolder.h"

#include "catalog/SearchCode.h"
#include "sync/FeedError.h"
#include "sync/FeedValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

// The columns that the programs' synchronisation reads as numbers and cannot take empty: an item that reached a feed
// without one would stop every dealer's synchronisation at it.
const QStringList kRequiredColumns{
    QStringLiteral("TOTAL_WEIGHT"),
    QStringLiteral("OPERATION_PRESSURE_DEFAULT"),
    QStringLiteral("OPERATION_PRESSURE_MAX"),
    QStringLiteral("OPERATION_PRESSURE_MIN"),
    QStringLiteral("OPERATION_SPACE"),
    QStringLiteral("ASSEMBLY_HEIGHT"),
    QStringLiteral("PISTON_TYPE"),
    QStringLiteral("TYPE"),
};

QString quoted(const QString& text)
{
    return QLatin1Char('"') + (text.size() > 40 ? text.left(40) + QStringLiteral("...") : text) + QLatin1Char('"');
}

qsizetype characters(const QString& text)
{
    return text.toUcs4().size();
}

QVariant nullOf(MasterState::Kind kind)
{
    switch (kind) {
    case MasterState::Kind::Integer16:
    case MasterState::Kind::Integer32:
        return QVariant(QMetaType::fromType<int>());
    case MasterState::Kind::Number:
        return QVariant(QMetaType::fromType<double>());
    default:
        return QVariant(QMetaType::fromType<QString>());
    }
}

bool same(const QVariant& a, const QVariant& b, const MasterState::Column& column)
{
    if (column.kind == MasterState::Kind::Text) {
        QString x = a.toString(), y = b.toString();
        if (column.fixed) {
            while (x.endsWith(QLatin1Char(' ')))
                x.chop(1);
            while (y.endsWith(QLatin1Char(' ')))
                y.chop(1);
        }
        return x == y;
    }
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    if (column.kind == MasterState::Kind::Number)
        return a.toDouble() == b.toDouble();
    return a.toLongLong() == b.toLongLong();
}

QList<MasterState::Code> sortedCodes(QList<MasterState::Code> codes)
{
    std::sort(codes.begin(), codes.end(), [](const MasterState::Code& a, const MasterState::Code& b) {
        return a.type != b.type ? a.type < b.type : a.code < b.code;
    });
    return codes;
}

bool sameCodes(const QList<MasterState::Code>& a, const QList<MasterState::Code>& b)
{
    const QList<MasterState::Code> x = sortedCodes(a), y = sortedCodes(b);
    return std::equal(
        x.begin(), x.end(), y.begin(), y.end(),
        [](const MasterState::Code& p, const MasterState::Code& q) { return p.type == q.type && p.code == q.code; });
}

} // namespace

ImportPlanner::ImportPlanner(const MasterState& master, ImportSources sources)
    : m_master(master), m_sources(std::move(sources))
{
    if (m_sources.pictureDir.isEmpty() && !m_sources.pictures.isEmpty())
        m_sources.pictureDir = QFileInfo(m_sources.pictures).absolutePath();
}

void ImportPlanner::problem(const QString& file, int line, const QString& column, const QString& text)
{
    m_problems.append({file, line, column, text});
}

std::optional<ImportPlanner::Table> ImportPlanner::load(const QString& file, const QString& table,
                                                        const QStringList& required, const QStringList& ignored,
                                                        bool onlyRequired)
{
    if (file.isEmpty())
        return std::nullopt;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        problem(file, 0, {}, QStringLiteral("cannot be read: %1").arg(input.errorString()));
        return std::nullopt;
    }
    const catalog::CsvRead read = catalog::readCsvDocument(input.readAll());
    if (read.errorLine > 0) {
        problem(file, read.errorLine, {}, read.error);
        return std::nullopt;
    }
    if (read.records.isEmpty()) {
        problem(file, 0, {}, QStringLiteral("has no header line with the column names"));
        return std::nullopt;
    }
    Table result;
    result.file = file;
    const catalog::CsvRecord& header = read.records.first();
    result.width = int(header.fields.size());
    const qsizetype before = m_problems.size();
    for (int i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields.at(i).trimmed().toUpper();
        if (name.isEmpty()) {
            problem(file, header.line, QStringLiteral("%1").arg(i + 1), QStringLiteral("the column has no name"));
            continue;
        }
        if (ignored.contains(name) || (onlyRequired && !required.contains(name)))
            continue;
        const MasterState::Column* column = m_master.column(table, name);
        if (!column)
            problem(file, header.line, name, QStringLiteral("the table %1 has no such column").arg(table));
        else if (column->kind == MasterState::Kind::Other)
            problem(file, header.line, name, QStringLiteral("this column is not imported"));
        else if (result.index.contains(name))
            problem(file, header.line, name, QStringLiteral("the column is named twice"));
        else {
            result.index.insert(name, i);
            result.columns.append(name);
        }
    }
    for (const QString& name : required) {
        if (!result.index.contains(name))
            problem(file, header.line, {}, QStringLiteral("the column %1 is missing").arg(name));
    }
    if (m_problems.size() > before)
        return std::nullopt;
    result.records = read.records.mid(1);
    return result;
}

QList<catalog::CsvRecord> ImportPlanner::wellFormed(const Table& table)
{
    QList<catalog::CsvRecord> records;
    for (const catalog::CsvRecord& record : table.records) {
        if (record.fields.size() == table.width)
            records.append(record);
        else
            problem(table.file, record.line, {},
                    QStringLiteral("%1 fields where the header has %2").arg(record.fields.size()).arg(table.width));
    }
    return records;
}

std::optional<int> ImportPlanner::itemId(const Table& table, const catalog::CsvRecord& record, const QString& column)
{
    const QString text = table.field(record, column);
    try {
        // 0 cannot be an item: the programs take it for "no item yet" when they replace an item's codes.
        return int(catalogsync::feedInteger(text, 1, std::numeric_limits<qint32>::max()));
    } catch (const catalogsync::FeedError&) {
        problem(table.file, record.line, column,
                QStringLiteral("%1 is not an item ID (a whole number from 1)").arg(quoted(text)));
        return std::nullopt;
    }
}

std::optional<QVariant> ImportPlanner::cell(const Table& table, const catalog::CsvRecord& record,
                                            const QString& tableName, const QString& columnName)
{
    const MasterState::Column* column = m_master.column(tableName, columnName);
    const QString text = table.field(record, columnName);
    const auto fail = [&](const QString& why) {
        problem(table.file, record.line, columnName, why);
        return std::nullopt;
    };
    if (column->kind == MasterState::Kind::Text) {
        if (column->width > 0 && characters(text) > column->width)
            return fail(QStringLiteral("%1 characters; the column holds %2").arg(characters(text)).arg(column->width));
        return QVariant(text);
    }
    if (text.isEmpty())
        return nullOf(column->kind);
    try {
        if (column->kind == MasterState::Kind::Number)
            return QVariant(catalogsync::feedNumber(text));
        const bool small = column->kind == MasterState::Kind::Integer16;
        const qint64 low = small ? std::numeric_limits<qint16>::min() : std::numeric_limits<qint32>::min();
        const qint64 high = small ? std::numeric_limits<qint16>::max() : std::numeric_limits<qint32>::max();
        try {
            return QVariant(int(catalogsync::feedInteger(text, low, high)));
        } catch (const catalogsync::FeedError&) {
            return fail(QStringLiteral("%1 is not a whole number from %2 to %3").arg(quoted(text)).arg(low).arg(high));
        }
    } catch (const catalogsync::FeedError&) {
        return fail(QStringLiteral("%1 is not a number").arg(quoted(text)));
    }
}

void ImportPlanner::readItems(const Table& table)
{
    for (const catalog::CsvRecord& record : wellFormed(table)) {
        const std::optional<int> id = itemId(table, record, QStringLiteral("ID"));
        if (!id)
            continue;
        if (m_items.contains(*id)) {
            problem(table.file, record.line, QStringLiteral("ID"),
                    QStringLiteral("item %1 is on line %2 already").arg(*id).arg(m_items.value(*id).line));
            continue;
        }
        ItemRow row;
        row.line = record.line;
        for (const QString& column : table.columns) {
            if (column == QLatin1String("ID"))
                continue;
            const std::optional<QVariant> value = cell(table, record, QStringLiteral("ITEM"), column);
            if (!value) {
                m_broken.insert(*id);
                continue;
            }
            // The program knows eight styles and four usages; an item of another is in no list.
            const bool style = column == QLatin1String("TYPE");
            const bool usage = column == QLatin1String("VEHICLE1") || column == QLatin1String("VEHICLE2");
            if (!value->isNull() && ((style && (value->toInt() < 1 || value->toInt() > 8)) ||
                                     (usage && (value->toInt() < 0 || value->toInt() > 4)))) {
                problem(table.file, record.line, column,
                        style ? QStringLiteral("a style is 1 to 8")
                              : QStringLiteral("a usage is 1 to 4, or 0 or empty for none"));
                m_broken.insert(*id);
                continue;
            }
            row.values.insert(column, *value);
        }
        m_items.insert(*id, row);
        m_cause.insert(*id, {table.file, record.line});
    }
}

void ImportPlanner::readCodes(const Table& table)
{
    const MasterState::Column* search = m_master.column(QStringLiteral("ITEM_CODE"), QStringLiteral("SEARCH_CODE"));
    for (const catalog::CsvRecord& record : wellFormed(table)) {
        const std::optional<int> id = itemId(table, record, QStringLiteral("ITEM_ID"));
        bool ok = id.has_value();
        CodeRow row;
        row.line = record.line;
        const QString type = table.field(record, QStringLiteral("CODE_TYPE_ID"));
        try {
            row.code.type = int(
                catalogsync::feedInteger(type, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
            if (!m_master.codeTypes.contains(row.code.type)) {
                problem(table.file, record.line, QStringLiteral("CODE_TYPE_ID"),
                        QStringLiteral("there is no code type %1").arg(row.code.type));
                ok = false;
            }
        } catch (const catalogsync::FeedError&) {
            problem(table.file, record.line, QStringLiteral("CODE_TYPE_ID"),
                    QStringLiteral("%1 is not a code type").arg(quoted(type)));
            ok = false;
        }
        const std::optional<QVariant> code = cell(table, record, QStringLiteral("ITEM_CODE"), QStringLiteral("CODE"));
        if (!code) {
            ok = false;
        } else if (code->toString().trimmed().isEmpty()) {
            problem(table.file, record.line, QStringLiteral("CODE"), QStringLiteral("the code is empty"));
            ok = false;
        } else {
            row.code.code = code->toString();
            const qsizetype searchLength = characters(catalog::normaliseSearchText(row.code.code));
            if (search && search->width > 0 && searchLength > search->width) {
                problem(table.file, record.line, QStringLiteral("CODE"),
                        QStringLiteral("its search form has %1 characters; SEARCH_CODE holds %2")
                            .arg(searchLength)
                            .arg(search->width));
                ok = false;
            }
        }
        if (!id)
            continue;
        if (!ok)
            m_broken.insert(*id);
        m_codes[*id].append(row);
        if (!m_cause.contains(*id))
            m_cause.insert(*id, {table.file, record.line});
    }
}

void ImportPlanner::readPictures(const Table& table)
{
    for (const catalog::CsvRecord& record : wellFormed(table)) {
        const std::optional<int> id = itemId(table, record, QStringLiteral("ITEM_ID"));
        const std::optional<QVariant> name =
            cell(table, record, QStringLiteral("ITEM_PICTURES"), QStringLiteral("PICTURE_URL"));
        bool ok = name.has_value();
        // The programs put the picture into their images folder under this name.
        if (ok && !catalogsync::isPlainFileName(name->toString())) {
            problem(table.file, record.line, QStringLiteral("PICTURE_URL"),
                    QStringLiteral("%1 is not the name of a file without a folder").arg(quoted(name->toString())));
            ok = false;
        }
        if (!id)
            continue;
        if (!ok)
            m_broken.insert(*id);
        m_pictures[*id].append({record.line, ok ? name->toString() : QString()});
        if (!m_cause.contains(*id))
            m_cause.insert(*id, {table.file, record.line});
    }
}

void ImportPlanner::readDeletions(const Table& table)
{
    for (const catalog::CsvRecord& record : wellFormed(table)) {
        const std::optional<int> id = itemId(table, record, QStringLiteral("ID"));
        if (!id)
            continue;
        if (m_deletions.contains(*id))
            problem(table.file, record.line, QStringLiteral("ID"),
                    QStringLiteral("item %1 is on line %2 already").arg(*id).arg(m_deletions.value(*id)));
        else if (!m_master.items.contains(*id))
            problem(table.file, record.line, QStringLiteral("ID"),
                    QStringLiteral("there is no item %1 in the master").arg(*id));
        else
            m_deletions.insert(*id, record.line);
    }
}

void ImportPlanner::checkReferences()
{
    const QString itemsFile = QFileInfo(m_sources.items).fileName();
    for (auto it = m_deletions.cbegin(); it != m_deletions.cend(); ++it) {
        const int id = it.key();
        QString other;
        if (m_items.contains(id))
            other = QStringLiteral("%1, line %2").arg(itemsFile).arg(m_items.value(id).line);
        else if (m_codes.contains(id))
            other =
                QStringLiteral("%1, line %2").arg(QFileInfo(m_sources.codes).fileName()).arg(m_codes[id].first().line);
        else if (m_pictures.contains(id))
            other = QStringLiteral("%1, line %2")
                        .arg(QFileInfo(m_sources.pictures).fileName())
                        .arg(m_pictures[id].first().line);
        if (!other.isEmpty())
            problem(m_sources.deletions, it.value(), QStringLiteral("ID"),
                    QStringLiteral("item %1 is deleted, but changed in %2").arg(id).arg(other));
    }
    const auto exists = [this](int id) { return m_items.contains(id) || m_master.items.contains(id); };
    for (auto it = m_codes.cbegin(); it != m_codes.cend(); ++it) {
        const int id = it.key();
        if (!exists(id)) {
            problem(m_sources.codes, it->first().line, QStringLiteral("ITEM_ID"),
                    QStringLiteral("there is no item %1 in %2 or the master").arg(id).arg(itemsFile));
            continue;
        }
        if (m_broken.contains(id))
            continue;
        QList<int> ownCodeLines;
        for (const CodeRow& row : *it) {
            if (row.code.type == 1)
                ownCodeLines.append(row.line);
        }
        if (ownCodeLines.isEmpty())
            problem(m_sources.codes, it->first().line, QStringLiteral("CODE_TYPE_ID"),
                    QStringLiteral("item %1 has no maker's code (code type 1)").arg(id));
        else if (ownCodeLines.size() > 1)
            problem(m_sources.codes, ownCodeLines.at(1), QStringLiteral("CODE_TYPE_ID"),
                    QStringLiteral("item %1 has a second maker's code (code type 1)").arg(id));
    }
    for (auto it = m_pictures.cbegin(); it != m_pictures.cend(); ++it) {
        if (!exists(it.key()))
            problem(m_sources.pictures, it->first().line, QStringLiteral("ITEM_ID"),
                    QStringLiteral("there is no item %1 in %2 or the master").arg(it.key()).arg(itemsFile));
    }
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
        if (!m_master.items.contains(it.key()) && !m_codes.contains(it.key()))
            problem(m_sources.items, it->line, QStringLiteral("ID"),
                    QStringLiteral("the new item %1 has no maker's code (code type 1): %2")
                        .arg(it.key())
                        .arg(m_sources.codes.isEmpty()
                                 ? QStringLiteral("give its codes in a codes file")
                                 : QStringLiteral("%1 gives none for it").arg(QFileInfo(m_sources.codes).fileName())));
    }
}

void ImportPlanner::stamp(int id, const QString& reason)
{
    QStringList& reasons = m_plan.items[id].reasons;
    if (!reasons.contains(reason))
        reasons.append(reason);
}

void ImportPlanner::planItems()
{
    QList<MasterState::Column> writable;
    for (const MasterState::Column& column : m_master.columns(QStringLiteral("ITEM"))) {
        if (column.kind != MasterState::Kind::Other && column.name != QLatin1String("ID"))
            writable.append(column);
    }
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
        const int id = it.key();
        const bool added = !m_master.items.contains(id);
        const QVariantHash before = m_master.items.value(id);
        QVariantHash row;
        QStringList changed;
        for (const MasterState::Column& column : writable) {
            const bool given = it->values.contains(column.name);
            const QVariant old = added ? nullOf(column.kind) : before.value(column.name);
            row.insert(column.name, given ? it->values.value(column.name) : old);
            if (given && !added && !same(old, it->values.value(column.name), column))
                changed.append(column.name);
        }
        if (added) {
            m_plan.items[id].added = true;
            m_plan.items[id].row = row;
        } else if (!changed.isEmpty()) {
            m_plan.items[id].row = row;
            for (const QString& column : changed)
                stamp(id, column);
        }
    }
    for (auto it = m_codes.cbegin(); it != m_codes.cend(); ++it) {
        QList<MasterState::Code> codes;
        for (const CodeRow& row : *it)
            codes.append(row.code);
        if (m_master.items.contains(it.key()) && sameCodes(codes, m_master.codes.value(it.key())))
            continue;
        m_plan.codes.insert(it.key(), codes);
        if (m_master.items.contains(it.key()))
            stamp(it.key(), QStringLiteral("codes"));
    }
    for (auto it = m_pictures.cbegin(); it != m_pictures.cend(); ++it) {
        QStringList names;
        for (const PictureRow& row : *it)
            names.append(row.name);
        if (m_master.items.contains(it.key()) && names == m_master.pictures.value(it.key()))
            continue;
        m_plan.pictures.insert(it.key(), names);
        if (m_master.items.contains(it.key()))
            stamp(it.key(), QStringLiteral("pictures"));
    }
    m_plan.deleted = m_deletions.keys();
}

void ImportPlanner::checkPictureFiles()
{
    QMap<QString, int> firstLine;
    for (const QList<PictureRow>& rows : std::as_const(m_pictures)) {
        for (const PictureRow& row : rows) {
            if (!row.name.isEmpty() && (!firstLine.contains(row.name) || firstLine.value(row.name) > row.line))
                firstLine.insert(row.name, row.line);
        }
    }
    const PictureFolder folder(m_sources.imagesDir);
    const bool haveFolder = !m_sources.imagesDir.isEmpty();
    bool folderNeeded = false;
    for (auto it = firstLine.cbegin(); it != firstLine.cend(); ++it) {
        const QString& name = it.key();
        const QString source = QDir(m_sources.pictureDir).filePath(name);
        m_pictureLines.insert(name, it.value());
        if (!QFileInfo(source).isFile()) {
            if (!haveFolder || !folder.isPublished(name)) // a picture published before may be named again
                problem(m_sources.pictures, it.value(), QStringLiteral("PICTURE_URL"),
                        QStringLiteral("the picture file %1 is missing").arg(QDir::toNativeSeparators(source)));
            continue;
        }
        if (haveFolder && !folder.differs(name, source))
            continue;
        const QString why = PictureFolder::sourceProblem(source);
        if (!why.isEmpty()) {
            problem(m_sources.pictures, it.value(), QStringLiteral("PICTURE_URL"), why);
            continue;
        }
        folderNeeded = folderNeeded || !haveFolder;
        m_plan.pictureFiles.insert(name, {source, haveFolder && folder.isPublished(name)});
    }
    if (folderNeeded)
        problem(m_sources.pictures, 0, {},
                QStringLiteral("its picture files need the catalog server's picture folder: give --images DIR"));
}

void ImportPlanner::stampPictureFiles()
{
    if (m_plan.pictureFiles.isEmpty())
        return;
    QHash<QString, QList<int>> shownBy;
    for (auto item = m_master.pictures.cbegin(); item != m_master.pictures.cend(); ++item) {
        if (m_plan.pictures.contains(item.key()) || m_deletions.contains(item.key()))
            continue; // stamped already, or gone
        for (const QString& name : *item)
            shownBy[name].append(item.key());
    }
    // Every item that shows a picture file that changes is stamped, so that the programs fetch the new thumbnail.
    for (auto it = m_plan.pictureFiles.cbegin(); it != m_plan.pictureFiles.cend(); ++it) {
        for (const int id : shownBy.value(it.key())) {
            stamp(id, QStringLiteral("picture ") + it.key());
            if (!m_cause.contains(id))
                m_cause.insert(id, {m_sources.pictures, m_pictureLines.value(it.key())});
        }
    }
}

void ImportPlanner::checkStamped()
{
    for (auto it = m_plan.items.cbegin(); it != m_plan.items.cend(); ++it) {
        const int id = it.key();
        if (m_broken.contains(id))
            continue; // what it lacks may be what could not be read
        const Line cause = m_cause.value(id);
        const QVariantHash row = it->row.isEmpty() ? m_master.items.value(id) : it->row;
        const bool inItemsFile = cause.file == m_sources.items;
        for (const QString& column : kRequiredColumns) {
            if (row.value(column).isNull())
                problem(cause.file, cause.line, inItemsFile ? column : QString(),
                        inItemsFile ? QStringLiteral("item %1 needs a value here").arg(id)
                                    : QStringLiteral("item %1 has no %2 in the master: give it in %3")
                                          .arg(id)
                                          .arg(column, QFileInfo(m_sources.items).fileName()));
        }
        if (it->added || m_codes.contains(id))
            continue;
        qsizetype own = 0;
        for (const MasterState::Code& code : m_master.codes.value(id))
            own += code.type == 1 ? 1 : 0;
        if (own != 1)
            problem(cause.file, cause.line, {},
                    QStringLiteral("item %1 has %2 maker's codes (code type 1) in the master, not one: give its codes "
                                   "in a codes file")
                        .arg(id)
                        .arg(own));
    }
}

QList<ImportProblem> ImportPlanner::check()
{
    const std::optional<Table> items =
        load(m_sources.items, QStringLiteral("ITEM"), {QStringLiteral("ID")}, {QStringLiteral("UPDATE_TIME")});
    // Code and picture IDs are the import's to give, and the search form of a code is computed by the program's rule.
    const std::optional<Table> codes =
        load(m_sources.codes, QStringLiteral("ITEM_CODE"),
             {QStringLiteral("ITEM_ID"), QStringLiteral("CODE_TYPE_ID"), QStringLiteral("CODE")},
             {QStringLiteral("ID"), QStringLiteral("SEARCH_CODE")});
    const std::optional<Table> pictures =
        load(m_sources.pictures, QStringLiteral("ITEM_PICTURES"),
             {QStringLiteral("ITEM_ID"), QStringLiteral("PICTURE_URL")}, {QStringLiteral("ID")});
    const std::optional<Table> deletions =
        load(m_sources.deletions, QStringLiteral("ITEM"), {QStringLiteral("ID")}, {}, true);
    // A file that could not be read as a whole leaves the others without their counterpart: no row is checked.
    if (m_problems.isEmpty()) {
        if (items)
            readItems(*items);
        if (codes)
            readCodes(*codes);
        if (pictures)
            readPictures(*pictures);
        if (deletions)
            readDeletions(*deletions);
        checkReferences();
        checkPictureFiles();
        planItems();
        stampPictureFiles();
        checkStamped();
        for (auto it = m_items.cbegin(); it != m_items.cend(); ++it)
            m_plan.unchangedItems += m_plan.items.contains(it.key()) ? 0 : 1;
    }
    // In the order of the files, then of their lines.
    const QStringList order{m_sources.items, m_sources.codes, m_sources.pictures, m_sources.deletions};
    std::stable_sort(m_problems.begin(), m_problems.end(), [&order](const ImportProblem& a, const ImportProblem& b) {
        const qsizetype x = order.indexOf(a.file), y = order.indexOf(b.file);
        return x != y ? x < y : a.line < b.line;
    });
    return m_problems;
}

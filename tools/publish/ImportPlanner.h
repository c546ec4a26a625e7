#pragma once

#include "ImportPlan.h"
#include "ImportProblem.h"
#include "MasterState.h"

#include "catalog/CsvText.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <optional>

// The files of one import, as the maker named them.
struct ImportSources
{
    QString items;      // items.csv: ITEM rows by ID
    QString codes;      // codes.csv (optional): ITEM_CODE rows; an item's rows replace all its codes
    QString pictures;   // pictures.csv (optional): ITEM_PICTURES rows; an item's rows replace all its pictures
    QString deletions;  // the delete list (optional): a CSV file with an ID column
    QString pictureDir; // where the files that pictures.csv names are; by default the folder of pictures.csv
    QString imagesDir;  // the catalog server's picture folder (PictureFolder); empty when not given
};

// Reads the files of an import and checks them against the master before anything is written: every problem is
// found and named by file, line and column. What passes becomes the plan: only what differs from the master.
class ImportPlanner
{
public:
    ImportPlanner(const MasterState& master, ImportSources sources);

    // Every problem of the import, in the order of the files and their lines; empty when plan() may be carried out.
    QList<ImportProblem> check();
    const ImportPlan& plan() const { return m_plan; }

private:
    // A file read and its header understood: the column names (upper case) and where each is in a record.
    struct Table
    {
        QString file;
        QStringList columns; // in the order of the header
        QHash<QString, int> index;
        int width = 0; // fields of the header
        QList<catalog::CsvRecord> records;
        QString field(const catalog::CsvRecord& record, const QString& column) const
        {
            const auto found = index.constFind(column);
            return found == index.constEnd() ? QString() : record.fields.value(*found);
        }
    };
    struct Line
    {
        QString file;
        int line = 0;
    };
    struct ItemRow
    {
        int line = 0;
        QVariantHash values; // the columns the file gives
    };
    struct CodeRow
    {
        int line = 0;
        MasterState::Code code;
    };
    struct PictureRow
    {
        int line = 0;
        QString name;
    };

    // The file with its header checked against the table's columns; nullopt when it is not given or cannot be used.
    // `onlyRequired`: other columns are passed over (the delete list).
    std::optional<Table> load(const QString& file, const QString& table, const QStringList& required,
                              const QStringList& ignored, bool onlyRequired = false);
    // The rows whose field count matches the header; the others are problems.
    QList<catalog::CsvRecord> wellFormed(const Table& table);
    std::optional<int> itemId(const Table& table, const catalog::CsvRecord& record, const QString& column);
    std::optional<QVariant> cell(const Table& table, const catalog::CsvRecord& record, const QString& tableName,
                                 const QString& column);

    void readItems(const Table& table);
    void readCodes(const Table& table);
    void readPictures(const Table& table);
    void readDeletions(const Table& table);
    void checkReferences();
    void checkPictureFiles();
    void planItems();
    void stampPictureFiles();
    void checkStamped();

    void problem(const QString& file, int line, const QString& column, const QString& text);
    void stamp(int id, const QString& reason);

    const MasterState& m_master;
    ImportSources m_sources;
    QList<ImportProblem> m_problems;
    ImportPlan m_plan;

    QMap<int, ItemRow> m_items;
    QMap<int, QList<CodeRow>> m_codes;
    QMap<int, QList<PictureRow>> m_pictures;
    QMap<int, int> m_deletions;         // item → line
    QSet<int> m_broken;                 // items with a row that could not be read: no checks of their whole
    QHash<int, Line> m_cause;           // the first line that names an item
    QHash<QString, int> m_pictureLines; // the first line that names a picture file
};

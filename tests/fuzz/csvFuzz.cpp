// The CSV files velkorn-publish imports (items, codes, pictures, the delete list), read by the same reader the
// import uses. A file that reads names its records in order of their lines; the records written again by the
// program's own CSV writer, with the separator the file was read with, read back the same.
#include "FuzzSupport.h"

#include "catalog/CsvText.h"

namespace {

int linesOf(const QByteArray& bytes)
{
    return int(bytes.count('\n')) + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const catalog::CsvRead read = catalog::readCsvDocument(bytes);
    const int lines = linesOf(bytes);
    if (read.errorLine < 0 || read.errorLine > lines || (read.errorLine > 0) == read.error.isEmpty())
        __builtin_trap();
    if (read.separator != QLatin1Char(',') && read.separator != QLatin1Char(';'))
        __builtin_trap();
    int previous = 0;
    QList<QStringList> rows;
    for (const catalog::CsvRecord& record : read.records) {
        if (record.line <= previous || record.line > lines || record.fields.isEmpty())
            __builtin_trap();
        previous = record.line;
        // A record of one empty field is a blank line once written, and blank lines are skipped.
        if (record.fields != QStringList(QString()))
            rows << record.fields;
    }

    const catalog::CsvRead again = catalog::readCsvDocument(catalog::csvDocument(rows, read.separator));
    QList<QStringList> reread;
    for (const catalog::CsvRecord& record : again.records)
        reread << record.fields;
    if (again.errorLine != 0 || reread != rows)
        __builtin_trap();
    return 0;
}

#pragma once

#include <QString>

// Something in the files of an import that keeps it from being published, and where it is: the file as the maker
// named it, the line (from 1; 0 for the file as a whole) and the column by its name (empty when the line as a whole).
struct ImportProblem
{
    QString file;
    int line = 0;
    QString column;
    QString text;

    QString toString() const
    {
        QString where = file;
        if (line > 0)
            where += QStringLiteral(", line %1").arg(line);
        if (!column.isEmpty())
            where += QStringLiteral(", column ") + column;
        return where.isEmpty() ? text : where + QStringLiteral(": ") + text;
    }
};

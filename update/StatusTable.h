#pragma once

#include <QString>

namespace update {

// One entry of the engine's string table with the status and error code that its report carries.
struct StatusEntry
{
    QString text; // may hold one "%s" for the report's argument
    int statusCode = 0;
    int errCode = 0;
};

// The entry for a status id; an unknown id has an empty text and codes 0.
StatusEntry statusEntry(int id);

// The entry's text with the argument in place of its "%s" (a text without one ignores the argument).
QString statusText(int id, const QString& argument);

} // namespace update

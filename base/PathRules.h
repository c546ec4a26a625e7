#pragma once

#include <QString>

#include <functional>
#include <optional>

// Where files may go: the path macros of the update control file and of the restart helper's lists, the names
// taken from URLs, and the check that keeps a target inside its directory. The engine and the helper share them.
namespace base {

// A macro's directory as it is inserted: a drive path ("C:\dir\") or an absolute path ("/dir/") loses its
// final separator, anything else (a drive root, the root "/") gets "." appended.
QString macroDirectory(const QString& directory);

// Replaces every "{name}" whose lookup answers with that text; unknown names and a "{" without "}" stay.
// The scan goes on after the inserted text, so a directory that contains a macro name cannot loop.
using MacroLookup = std::function<std::optional<QString>(const QString& name)>;
QString expandMacros(const QString& text, const MacroLookup& lookup);

// The text after the last "/", and then after the last "\".
QString fileNameFromUrl(const QString& url);

// A control-file path for the local file system: a backslash separates directories here.
QString toLocalPath(const QString& path);

// True when `path`, once cleaned, is `directory` itself or lies below it (no "..", no neighbour that merely
// starts with the same letters). `directory` is absolute, cleaned and has no trailing '/'.
bool isInsideDirectory(const QString& directory, const QString& path);

// The address of a server given as "host[:port]" (spoken to over http) or "http://host[:port]" or
// "https://host[:port]" (the scheme is kept), followed by path.
QString serverUrl(const QString& host, const QString& path);

} // namespace base

#pragma once

#include <QByteArray>
#include <QString>

// SZDD ("MS COMPRESS") files: the format of COMPRESS.EXE / EXPAND.EXE and LZ32.
// Expansion goes through libmspack; compression is our own, since libmspack only expands.
namespace archive {

// True when the file starts with the SZDD signature.
bool isSzdd(const QString& path);

// Expands src into dst (created or overwritten). On failure returns false, removes a partial dst and,
// when error is given, says why.
bool expandSzdd(const QString& src, const QString& dst, QString* error);

// The name the header gives for the expanded file: the stored character replaces a trailing "_"
// ("upd.ex_" with 'e' -> "upd.exe"). Empty when the file is not SZDD. With `asName`, the name for the file once it
// is called so (a download still in its temporary file).
QString expandedSzddName(const QString& path, const QString& asName = QString());

// Compresses data into an SZDD image; lastChar is the header's stored last character of the name.
QByteArray compressSzdd(const QByteArray& data, char lastChar = '\0');

} // namespace archive

#pragma once

#include "update/UpdateFormats.h"

#include <QString>

namespace update {

// The file version of a file's fixed version block (the VS_FIXEDFILEINFO of a Windows version resource,
// or the same block that our own programs carry): signature 0xFEEF04BD, structure version 1.0, then the
// most and least significant halves. Both -1 when the file has no such block or cannot be read.
PackedVersion GetFileVersion(const QString& path);

} // namespace update

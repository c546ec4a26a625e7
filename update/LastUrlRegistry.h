#pragma once

#include "update/WebUpdateTypes.h"

#include <QString>

// The registry values of TLastURLEntry ("LastURL", "LastDate", "LastTime"), kept in a small settings file
// (see PLATFORM.md). Only used when the entry names a key and a section.
namespace update {

QString readLastUrlValue(const TLastURLEntry& entry, const QString& name);
void writeLastUrlValue(const TLastURLEntry& entry, const QString& name, const QString& value);

} // namespace update

#pragma once

#include "update/Minisign.h"

#include <QByteArray>
#include <QList>

// The minisign public keys whose signatures the update accepts. They are fixed when the program is built
// (CMake cache variable VELKORN_TRUSTED_KEYS); nothing at run time adds one, so a planted file or variable
// cannot make the program trust a stranger's release.
namespace update {

// The base64 key lines as built in.
QList<QByteArray> trustedKeyTexts();

// The parsed keys.
const QList<MinisignKey>& trustedKeys();

} // namespace update

#pragma once

#include "update/FileDigest.h"

#include <QString>

namespace update {

// One file section of the update control file, as the engine and the wizard use it.
struct TFileDescription
{
    QString URL;
    QString NewVersion;
    qint32 NewSize = 0;
    qint32 NewCheckSum = -1;
    QString NewCustomVer;
    QString NewDate;
    QString NewTime;
    QString LocalVersion;
    QString Description;
    QString TargetDir;
    bool Compressed = false;
    qint32 FileSize = 0;
    bool Mandatory = false;
    bool Hidden = false;
    update::FileDigest Sha256; // key "sha256"
    bool Selected = true;      // the user's choice in the wizard
};

} // namespace update

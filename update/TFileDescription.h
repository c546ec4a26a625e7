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
    QString LocalVersion; // resolved path of the local file it is compared with; empty when none
    QString Description;
    QString TargetDir; // resolved, with a final '/'
    bool Compressed = false;
    qint32 FileSize = 0;
    bool Mandatory = false;
    bool Hidden = false;
    update::FileDigest Sha256; // key "sha256"
    QString LocalPath;         // where the file is placed, resolved when the control file was read
    bool Selected = true;      // the user's choice in the wizard
};

} // namespace update

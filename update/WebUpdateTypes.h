#pragma once

#include <QString>

namespace update {

// Enumerations and small settings objects of the update engine TWebUpdate.

enum TWebUpdateAuthentication
{
    waAlways,
    waAuto,
    waNever
};

enum TWebUpdateType
{
    ftpUpdate,
    httpUpdate,
    fileUpdate
};

enum TWebUpdateConnect
{
    wucNoConnect,
    wucConnectPrompt,
    wucConnectSilent,
    wucConnectPromptHangup,
    wucConnectSilentHangup,
    wucNone
};

enum TWebUpdateUpdate
{
    wuuPromptOnce,
    wuuPromptAll,
    wuuSilent
};

enum TWebUpdateVersionCheck
{
    vcUpdateOnly,
    vcAlways
};

enum TLastURLRegRoot
{
    lurLOCALUSER,
    lurLOCALMACHINE
};

// Where the last control-file URL and update stamp are remembered (a settings file here, see PLATFORM.md).
struct TLastURLEntry
{
    bool Save = false;
    QString Key;
    QString Section;
    TLastURLRegRoot RegRoot = lurLOCALUSER;
};

// A report posted to a web server after an update.
struct TPostUpdateInfo
{
    QString Server;
    QString Action;
    QString Data;
    bool Enabled = false;
    QString PostResult; // the text of the last post's answer
};

// Settings of the patch utility's progress window; this system carries no patch utility.
struct TWebUpdateUtility
{
    bool ShowWindow = false;
    bool ShowAnimation = false;
    QString StatusMessage;
    QString StatusCaption;
};

// Results of TWebUpdate::EvaluateUpdate.
enum UpdateVerdict
{
    verdictByDate = 6,
    verdictNoUpdate = 7,
    verdictUnconditional = 8,
    verdictBySize = 9,
    verdictByChecksum = 10,
    verdictByVersion = 11,
    verdictByCustomValidation = 12
};

} // namespace update

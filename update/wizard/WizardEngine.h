#pragma once

#include "update/TFileList.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace wizard {

// The engine steps and run state that the update wizard drives. TWebUpdateEngineAdapter forwards them to
// TWebUpdate; tests put a scripted engine in its place.
class WizardEngine
{
public:
    using FileProgressHandler = std::function<void(QObject*, const QString& fileName, qint64 pos, qint64 size)>;
    using CancelHandler = std::function<void(QObject*, bool& cancel)>;

    virtual ~WizardEngine() = default;

    virtual int OpenSession() = 0;
    virtual int ConnectFtpHost() = 0;
    virtual int FetchControlFile() = 0;
    virtual int EvaluateUpdate() = 0;
    virtual int RunPreUpdateActions() = 0;
    virtual std::optional<QStringList> FetchWhatsNew() = 0;
    virtual std::optional<QStringList> FetchLicense() = 0;
    virtual int LoadFileList() = 0;
    virtual int FilterFileList() = 0;
    virtual int DownloadFiles() = 0;
    virtual int FinishUpdate() = 0;
    virtual int CloseSession() = 0;
    virtual void LaunchRestart() = 0;

    virtual update::TFileList& fileList() = 0;
    virtual bool isFtpUpdate() const = 0;
    // The wizard asks its own questions, so the engine's download questions are switched off.
    virtual void setSilentUpdate() = 0;

    virtual QDateTime releaseStamp() const = 0;
    virtual QDateTime localStamp() const = 0;
    virtual QString newVersionText() const = 0;
    virtual QString localVersionText() const = 0;
    virtual QString releaseDescription() const = 0;
    virtual bool appUpdate() const = 0;
    virtual bool componentDownloaded() const = 0;
    virtual bool cancelled() const = 0;
    virtual void setCancelled(bool cancelled) = 0;

    virtual FileProgressHandler fileProgressHandler() const = 0;
    virtual void setFileProgressHandler(FileProgressHandler handler) = 0;
    virtual CancelHandler cancelHandler() const = 0;
    virtual void setCancelHandler(CancelHandler handler) = 0;
    // Raises the engine's OnSuccess when it is handled.
    virtual void raiseSuccess() = 0;
};

} // namespace wizard

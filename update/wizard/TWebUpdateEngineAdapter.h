#pragma once

#include "update/wizard/WizardEngine.h"

namespace update {
class TWebUpdate;
} // namespace update

namespace wizard {

// Drives the real update engine for the wizard.
class TWebUpdateEngineAdapter final : public WizardEngine
{
public:
    explicit TWebUpdateEngineAdapter(update::TWebUpdate& engine) : m_engine(engine) {}

    int OpenSession() override;
    int ConnectFtpHost() override;
    int FetchControlFile() override;
    int EvaluateUpdate() override;
    int RunPreUpdateActions() override;
    std::optional<QStringList> FetchWhatsNew() override;
    std::optional<QStringList> FetchLicense() override;
    int LoadFileList() override;
    int FilterFileList() override;
    int DownloadFiles() override;
    int FinishUpdate() override;
    int CloseSession() override;
    void LaunchRestart() override;

    update::TFileList& fileList() override;
    bool isFtpUpdate() const override;
    void setSilentUpdate() override;

    QDateTime releaseStamp() const override;
    QDateTime localStamp() const override;
    QString newVersionText() const override;
    QString localVersionText() const override;
    QString releaseDescription() const override;
    bool appUpdate() const override;
    bool componentDownloaded() const override;
    bool cancelled() const override;
    void setCancelled(bool cancelled) override;

    FileProgressHandler fileProgressHandler() const override;
    void setFileProgressHandler(FileProgressHandler handler) override;
    CancelHandler cancelHandler() const override;
    void setCancelHandler(CancelHandler handler) override;
    void raiseSuccess() override;

private:
    update::TWebUpdate& m_engine;
};

} // namespace wizard

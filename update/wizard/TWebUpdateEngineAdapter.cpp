#include "update/wizard/TWebUpdateEngineAdapter.h"

#include "update/TWebUpdate.h"

using update::ftpUpdate;
using update::TFileList;
using update::wuuSilent;

namespace wizard {

int TWebUpdateEngineAdapter::OpenSession()
{
    return m_engine.OpenSession();
}
int TWebUpdateEngineAdapter::ConnectFtpHost()
{
    return m_engine.ConnectFtpHost();
}
int TWebUpdateEngineAdapter::FetchControlFile()
{
    return m_engine.FetchControlFile();
}
int TWebUpdateEngineAdapter::EvaluateUpdate()
{
    return m_engine.EvaluateUpdate();
}
int TWebUpdateEngineAdapter::RunPreUpdateActions()
{
    return m_engine.RunPreUpdateActions();
}
std::optional<QStringList> TWebUpdateEngineAdapter::FetchWhatsNew()
{
    return m_engine.FetchWhatsNew();
}
std::optional<QStringList> TWebUpdateEngineAdapter::FetchLicense()
{
    return m_engine.FetchLicense();
}
int TWebUpdateEngineAdapter::LoadFileList()
{
    return m_engine.LoadFileList();
}
int TWebUpdateEngineAdapter::FilterFileList()
{
    return m_engine.FilterFileList();
}
int TWebUpdateEngineAdapter::DownloadFiles()
{
    return m_engine.DownloadFiles();
}
int TWebUpdateEngineAdapter::FinishUpdate()
{
    return m_engine.FinishUpdate();
}
int TWebUpdateEngineAdapter::CloseSession()
{
    return m_engine.CloseSession();
}
void TWebUpdateEngineAdapter::LaunchRestart()
{
    m_engine.LaunchRestart();
}

TFileList& TWebUpdateEngineAdapter::fileList()
{
    return m_engine.FileList;
}
bool TWebUpdateEngineAdapter::isFtpUpdate() const
{
    return m_engine.UpdateType == ftpUpdate;
}
void TWebUpdateEngineAdapter::setSilentUpdate()
{
    m_engine.UpdateUpdate = wuuSilent;
}

QDateTime TWebUpdateEngineAdapter::releaseStamp() const
{
    return m_engine.releaseStamp();
}
QDateTime TWebUpdateEngineAdapter::localStamp() const
{
    return m_engine.localStamp();
}
QString TWebUpdateEngineAdapter::newVersionText() const
{
    return m_engine.newVersionText();
}
QString TWebUpdateEngineAdapter::localVersionText() const
{
    return m_engine.localVersionText();
}
QString TWebUpdateEngineAdapter::releaseDescription() const
{
    return m_engine.releaseDescription();
}
bool TWebUpdateEngineAdapter::appUpdate() const
{
    return m_engine.appUpdate();
}
bool TWebUpdateEngineAdapter::componentDownloaded() const
{
    return m_engine.componentDownloaded();
}
bool TWebUpdateEngineAdapter::cancelled() const
{
    return m_engine.cancelled();
}
void TWebUpdateEngineAdapter::setCancelled(bool cancelled)
{
    m_engine.setCancelled(cancelled);
}

WizardEngine::FileProgressHandler TWebUpdateEngineAdapter::fileProgressHandler() const
{
    return m_engine.OnFileProgress;
}
void TWebUpdateEngineAdapter::setFileProgressHandler(FileProgressHandler handler)
{
    m_engine.OnFileProgress = std::move(handler);
}
WizardEngine::CancelHandler TWebUpdateEngineAdapter::cancelHandler() const
{
    return m_engine.OnProgressCancel;
}
void TWebUpdateEngineAdapter::setCancelHandler(CancelHandler handler)
{
    m_engine.OnProgressCancel = std::move(handler);
}
void TWebUpdateEngineAdapter::raiseSuccess()
{
    if (m_engine.OnSuccess)
        m_engine.OnSuccess(&m_engine);
}

} // namespace wizard

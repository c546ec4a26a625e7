#pragma once

#include "update/wizard/WizardEngine.h"

#include <functional>

// An engine whose step results are set by the test; it records every call in order.
class ScriptedEngine : public wizard::WizardEngine
{
public:
    int openSession = 0;
    int fetchControlFile = 0;
    int verdict = 7;
    int preUpdate = 0;
    std::optional<QStringList> whatsNew;
    std::optional<QStringList> license;
    QList<update::TFileDescription> serverFiles; // what LoadFileList puts into the list
    bool ftp = false;
    bool appUpdateFlag = true;
    bool marksComponent = true;                        // a downloaded file is an application component
    std::function<void(int fileIndex)> duringDownload; // runs after the first block of each file
    std::function<void()> onRestart;
    std::function<void()> duringWhatsNew; // runs while the release notes are being fetched

    QDateTime release;
    QDateTime local;
    QString newVersion = "2.1.0.0";
    QString localVersion = "2.0.0.0";
    QString description = "Faster search";

    QStringList calls;
    bool silent = false;
    bool isCancelled = false;
    bool downloadedComponent = false;
    QStringList downloaded;
    int successRaised = 0;

    int OpenSession() override { return record("OpenSession", openSession); }
    int ConnectFtpHost() override { return record("ConnectFtpHost", 0); }
    int FetchControlFile() override { return record("FetchControlFile", fetchControlFile); }
    int EvaluateUpdate() override { return record("EvaluateUpdate", verdict); }
    int RunPreUpdateActions() override { return record("RunPreUpdateActions", preUpdate); }
    std::optional<QStringList> FetchWhatsNew() override
    {
        calls << "FetchWhatsNew";
        if (duringWhatsNew)
            duringWhatsNew();
        return whatsNew;
    }
    std::optional<QStringList> FetchLicense() override
    {
        calls << "FetchLicense";
        return license;
    }
    int LoadFileList() override
    {
        m_files.clear();
        for (const update::TFileDescription& f : serverFiles)
            m_files.add() = f;
        return record("LoadFileList", m_files.count());
    }
    int FilterFileList() override { return record("FilterFileList", 0); }
    int DownloadFiles() override
    {
        calls << "DownloadFiles";
        for (int i = 0; i < m_files.count(); ++i) {
            m_files.ActiveItem = i;
            const update::TFileDescription& f = m_files.item(i);
            for (qint64 pos = 0; pos < f.FileSize; pos += 4096) {
                if (m_progress)
                    m_progress(nullptr, "C:\\Temp\\" + f.Description, pos, f.FileSize);
                if (pos == 0 && duringDownload)
                    duringDownload(i);
                bool cancel = false;
                if (m_cancel)
                    m_cancel(nullptr, cancel);
                if (cancel)
                    return -1;
            }
            downloaded << f.Description;
            downloadedComponent = downloadedComponent || marksComponent;
        }
        return 0;
    }
    int FinishUpdate() override { return record("FinishUpdate", 0); }
    int CloseSession() override { return record("CloseSession", 0); }
    void LaunchRestart() override
    {
        calls << "LaunchRestart";
        if (onRestart)
            onRestart();
    }

    update::TFileList& fileList() override { return m_files; }
    bool isFtpUpdate() const override { return ftp; }
    void setSilentUpdate() override { silent = true; }

    QDateTime releaseStamp() const override { return release; }
    QDateTime localStamp() const override { return local; }
    QString newVersionText() const override { return newVersion; }
    QString localVersionText() const override { return localVersion; }
    QString releaseDescription() const override { return description; }
    bool appUpdate() const override { return appUpdateFlag; }
    bool componentDownloaded() const override { return downloadedComponent; }
    bool cancelled() const override { return isCancelled; }
    void setCancelled(bool c) override { isCancelled = c; }

    FileProgressHandler fileProgressHandler() const override { return m_progress; }
    void setFileProgressHandler(FileProgressHandler h) override { m_progress = std::move(h); }
    CancelHandler cancelHandler() const override { return m_cancel; }
    void setCancelHandler(CancelHandler h) override { m_cancel = std::move(h); }
    void raiseSuccess() override { ++successRaised; }

    static update::TFileDescription file(const QString& description, qint32 size, bool mandatory = false,
                                         bool hidden = false)
    {
        update::TFileDescription f;
        f.Description = description;
        f.FileSize = size;
        f.Mandatory = mandatory;
        f.Hidden = hidden;
        return f;
    }

private:
    int record(const char* name, int result)
    {
        calls << name;
        return result;
    }

    update::TFileList m_files;
    FileProgressHandler m_progress;
    CancelHandler m_cancel;
};

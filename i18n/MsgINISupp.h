#pragma once

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

namespace i18n {

class TLngINISupp;

// Message lookup (the main window's MIS): texts of section Project_Messages of the
// language file, read afresh on every call so that a worker thread may look up too.
class TMsgINISupp : public QObject
{
    Q_OBJECT

public:
    explicit TMsgINISupp(QObject* parent = nullptr);

    // Keeps only the file-name part of value and puts it in the Application directory.
    void setFileName(const QString& value);
    QString fileName() const;

    // The directory language files live in; the executable's directory unless set.
    void setApplicationDir(const QString& dir);
    QString applicationDir() const;

    // Links to the caption component and takes its current file name.
    void setLngINISupp(TLngINISupp* lis);
    TLngINISupp* lngINISupp() const;

    // Throws SilentCancel when no file name can be found.
    void OpenMessages();
    // The text for key, or "ERROR" when the file lacks it. May throw SilentCancel.
    QString MessageText(const QString& key);
    void CloseMessages();

    // A value's line-break groups (a double quote and the seven characters after it)
    // turned into CR LF.
    static QString convertLineBreaks(const QString& value);

    // Shared by every message component for the whole run.
    static bool opened();
    static bool fileNameMissing();
    // Lets tests start from a fresh run.
    static void resetSharedState();

private:
    void CheckLanguageFile(const QString& name);

    mutable QMutex m_mutex; // the file name is read by lookups on a worker thread
    QString m_fileName;
    QString m_applicationDir;
    QPointer<TLngINISupp> m_lngINISupp;
};

} // namespace i18n

#include "i18n/MsgINISupp.h"

#include "base/IniFile.h"
#include "i18n/LanguageFileRules.h"
#include "i18n/LngINISupp.h"
#include "i18n/SilentCancel.h"

#include "platform/Platform.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <thread>

using base::IniFile;

namespace i18n {

namespace {
std::atomic<bool> s_opened{false};
std::atomic<bool> s_fileNameMissing{false};

const QString kSection = QStringLiteral("Project_Messages");
const QString kError = QStringLiteral("ERROR");
constexpr int kLineBreakGroup = 8;

// Static initialisation runs on the program's first thread, which is the UI thread.
const std::thread::id s_firstThread = std::this_thread::get_id();

bool onGuiThread()
{
    if (const QCoreApplication* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    return std::this_thread::get_id() == s_firstThread;
}

// Message boxes are widgets and belong to the UI thread. A lookup on a worker thread
// (after shutdown has closed the messages) drops the warning instead of crashing;
// the check's outcome is the same.
void warn(const QString& text)
{
    if (onGuiThread())
        i18n::showPlainMessage(text);
}
} // namespace

TMsgINISupp::TMsgINISupp(QObject* parent) : QObject(parent), m_applicationDir(platform::executableDir())
{
    setObjectName(QStringLiteral("MIS"));
}

void TMsgINISupp::setFileName(const QString& value)
{
    QMutexLocker lock(&m_mutex);
    m_fileName = i18n::languageFileIn(m_applicationDir, value);
}

QString TMsgINISupp::fileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_fileName;
}

void TMsgINISupp::setApplicationDir(const QString& dir)
{
    QMutexLocker lock(&m_mutex);
    m_applicationDir = i18n::withTrailingSlash(dir);
}

QString TMsgINISupp::applicationDir() const
{
    QMutexLocker lock(&m_mutex);
    return m_applicationDir;
}

void TMsgINISupp::setLngINISupp(TLngINISupp* lis)
{
    m_lngINISupp = lis;
    if (lis) {
        QMutexLocker lock(&m_mutex);
        m_fileName = lis->fileName();
    }
}

TLngINISupp* TMsgINISupp::lngINISupp() const
{
    return m_lngINISupp;
}

bool TMsgINISupp::opened()
{
    return s_opened;
}
bool TMsgINISupp::fileNameMissing()
{
    return s_fileNameMissing;
}

void TMsgINISupp::resetSharedState()
{
    s_opened = false;
    s_fileNameMissing = false;
}

void TMsgINISupp::CheckLanguageFile(const QString& name)
{
    if (name.isEmpty()) {
        warn(i18n::kFileNotPreset);
        s_fileNameMissing = true;
        return;
    }
    s_fileNameMissing = false;
    if (!i18n::canReadWhole(name))
        warn(i18n::kFileNotFound);
}

void TMsgINISupp::OpenMessages()
{
    QString name;
    {
        QMutexLocker lock(&m_mutex);
        // The link is only followed on the UI thread; a lookup elsewhere keeps what it has.
        if (m_fileName.isEmpty() && m_lngINISupp && onGuiThread())
            m_fileName = m_lngINISupp->fileName();
        name = m_fileName;
    }
    CheckLanguageFile(name);
    if (s_fileNameMissing)
        throw SilentCancel{};
    s_opened = true;
}

QString TMsgINISupp::MessageText(const QString& key)
{
    if (!s_opened)
        OpenMessages();
    IniFile ini(fileName());
    ini.load();
    const QString value = ini.value(kSection, key, kError);
    if (!value.contains(QLatin1Char('"')))
        return value;
    return convertLineBreaks(value);
}

void TMsgINISupp::CloseMessages()
{
    {
        QMutexLocker lock(&m_mutex);
        m_fileName.clear();
    }
    s_opened = false;
}

QString TMsgINISupp::convertLineBreaks(const QString& value)
{
    QString result;
    QString rest = value;
    while (!rest.isEmpty()) {
        const int quote = rest.indexOf(QLatin1Char('"'));
        if (quote < 0) {
            // Text after the last group is the last line, kept as it stands.
            result += rest;
            break;
        }
        result += rest.left(quote);
        result += QLatin1String("\r\n");
        rest.remove(0, quote + kLineBreakGroup);
    }
    return result;
}

} // namespace i18n

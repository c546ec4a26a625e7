#include "update/helper/RestartHelper.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cerrno>
#include <csignal>

namespace helper {

namespace {

constexpr int SettleMilliseconds = 500;

QString unquoted(QString text)
{
    text.remove(QLatin1Char('"'));
    return text;
}

} // namespace

QPair<QString, QStringList> splitRestartCommand(const QString& command)
{
    const QString text = command.trimmed();
    bool quoted = false;
    for (int i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        if (i == text.size() || (!quoted && text.at(i) == QLatin1Char(' '))) {
            const QString program = unquoted(text.left(i));
            if (QFileInfo(program).isFile())
                return {program, QProcess::splitCommand(text.mid(i + 1))};
        }
    }
    QStringList parts = QProcess::splitCommand(text);
    if (parts.isEmpty())
        return {};
    const QString program = parts.takeFirst();
    return {program, parts};
}

RestartOutcome runRestartHelper(const QStringList& arguments, const RestartEnvironment& environment)
{
    if (arguments.size() < 3)
        return RestartOutcome::BadCommandLine;
    bool ok = false;
    const QString pidText = arguments.at(0);
    const qint64 pid = pidText.toLongLong(&ok, 10);
    if (!ok || pid <= 0 || pidText.trimmed() != pidText || pidText.startsWith(QLatin1Char('+')))
        return RestartOutcome::BadCommandLine;

    const bool logging = arguments.at(1) == QLatin1String("L");
    ComponentInstaller installer(environment.appDir, logging);
    const auto sleep = environment.sleep ? environment.sleep : [](int ms) { QThread::msleep(ms); };
    installer.setSleeper(sleep);
    if (environment.runProgram)
        installer.setProgramRunner(environment.runProgram);

    if (environment.waitForExit(pid, environment.waitLimit) == helper::WaitResult::TimedOut)
        installer.log(QStringLiteral("upd process %1 still running after %2 s, going on")
                          .arg(pid)
                          .arg(std::chrono::duration_cast<std::chrono::seconds>(environment.waitLimit).count()));
    sleep(SettleMilliseconds);

    // The journal holds this run's changes only. An earlier install that was cut short is undone first (its kept files
    // are the only way back to a whole version); a finished one is forgotten.
    UpdateJournal& journal = installer.journal();
    journal.recover();
    if (journal.state() == UpdateJournal::State::Complete)
        journal.discard();
    if (journal.state() != UpdateJournal::State::None) {
        // Still at work in another helper, or not to be undone: a second install on top would lose the way back.
        installer.log(QStringLiteral("upd an earlier install is not finished, nothing installed"));
    } else {
        installer.setPlacedHandler(environment.afterPlacing);
        for (int i = 3; i < arguments.size(); ++i)
            installer.process(arguments.at(i));
        if (!journal.complete())
            installer.log(QStringLiteral("upd io error %1 in journal").arg(errno));
    }

    const QString restart = arguments.at(2);
    if (restart == QLatin1String("null"))
        return RestartOutcome::NotRestarted;
    installer.log(QStringLiteral("upd restart ") + restart);
    const auto [program, programArguments] = splitRestartCommand(restart);
    if (program.isEmpty())
        return RestartOutcome::NotRestarted;
    if (!journal.begun()) {
        // Nothing was replaced, so there is nothing to go back to.
        if (environment.startDetached(program, programArguments))
            return RestartOutcome::Restarted;
        installer.log(QStringLiteral("upd restart failed: ") + restart);
        return RestartOutcome::NotRestarted;
    }

    // The new version must say that it came up; otherwise the old one is put back and started instead.
    const QString marker = installer.backupDir() + QStringLiteral("/started");
    const bool cameUp = environment.startWatched
                            ? environment.startWatched(program, programArguments, marker)
                            : startAndWatch(program, programArguments, marker, environment.startLimit);
    if (cameUp) {
        installer.discardBackup();
        return RestartOutcome::Restarted;
    }
    installer.log(QStringLiteral("upd new version did not come up, rolling back"));
    journal.rollBack();
    qputenv(RolledBackVariable, "1");
    const bool started = environment.startDetached(program, programArguments);
    qunsetenv(RolledBackVariable);
    if (!started)
        installer.log(QStringLiteral("upd restart failed: ") + restart);
    return RestartOutcome::RolledBack;
}

bool startAndWatch(const QString& program, const QStringList& arguments, const QString& marker,
                   std::chrono::milliseconds limit)
{
    QFile::remove(marker);
    qputenv(MarkerVariable, QFile::encodeName(marker));
    qint64 pid = 0;
    const bool started = QProcess::startDetached(program, arguments, QDir::currentPath(), &pid);
    qunsetenv(MarkerVariable);
    if (!started || pid <= 0)
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < limit.count()) {
        if (QFileInfo::exists(marker))
            return true;
        if (::kill(pid_t(pid), 0) != 0) // ended (the detached program is not our child, so it leaves no zombie)
            return QFileInfo::exists(marker);
        QThread::msleep(50);
    }
    if (QFileInfo::exists(marker))
        return true;
    ::kill(pid_t(pid), SIGKILL);
    return false;
}

} // namespace helper

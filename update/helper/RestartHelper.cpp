#include "update/helper/RestartHelper.h"

#include <QFileInfo>
#include <QProcess>
#include <QThread>

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

    for (int i = 3; i < arguments.size(); ++i)
        installer.process(arguments.at(i));

    const QString restart = arguments.at(2);
    if (restart == QLatin1String("null"))
        return RestartOutcome::NotRestarted;
    installer.log(QStringLiteral("upd restart ") + restart);
    const auto [program, programArguments] = splitRestartCommand(restart);
    if (program.isEmpty() || !environment.startDetached(program, programArguments)) {
        installer.log(QStringLiteral("upd restart failed: ") + restart);
        return RestartOutcome::NotRestarted;
    }
    return RestartOutcome::Restarted;
}

} // namespace helper

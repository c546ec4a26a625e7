#include "app/UpdateRecovery.h"

#include "platform/Platform.h"
#include "update/helper/UpdateJournal.h"

#include <cstdio>

using helper::UpdateJournal;

namespace app {

namespace {

// Set for the restored program by the one that undid the update and became it: its own look finds nothing left.
const char* const RecoveredVariable = "VELKORN_UPDATE_RECOVERED";

QString noticeFor(UpdateJournal::Recovery recovery)
{
    switch (recovery) {
    case UpdateJournal::Recovery::Restored:
        return QStringLiteral("updateRestored");
    case UpdateJournal::Recovery::NotRestored:
        return QStringLiteral("updateNotCompleted");
    case UpdateJournal::Recovery::Nothing:
    case UpdateJournal::Recovery::Busy:
        break;
    }
    return {};
}

} // namespace

QString recoverInterruptedUpdate(const QString& applicationDir, const QStringList& arguments)
{
    const QString handedOver = qEnvironmentVariable(RecoveredVariable);
    qunsetenv(RecoveredVariable);
    const QString program = platform::executablePath();

    const UpdateJournal::Recovery recovery = UpdateJournal(applicationDir).recover();
    if (recovery == UpdateJournal::Recovery::Busy)
        std::fprintf(stderr, "velkorn: a restart helper is still installing an update\n");
    QString notice = noticeFor(recovery);
    if (!notice.isEmpty() && !program.isEmpty() && !platform::isRunningImage(program)) {
        // This process runs the new program, whose file the old one has replaced again: the old one takes over.
        qputenv(RecoveredVariable, notice.toLatin1());
        platform::replaceProcess(program, arguments);
        qunsetenv(RecoveredVariable);
        std::fprintf(stderr, "velkorn: the restored program could not be started\n");
    }
    if (notice.isEmpty() &&
        (handedOver == QLatin1String("updateRestored") || handedOver == QLatin1String("updateNotCompleted")))
        notice = handedOver;
    return notice;
}

} // namespace app

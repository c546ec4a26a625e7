#pragma once

#include <QString>
#include <QStringList>

namespace app {

// Every start, before anything opens the catalog: an install that the restart helper could not finish is undone.
// When that put back the program file this process was started from, the process becomes the program now there
// (same arguments), which then tells the user. Answers the message key of what start-up tells the user
// ("updateRestored" or "updateNotCompleted"), or empty.
QString recoverInterruptedUpdate(const QString& applicationDir, const QStringList& arguments);

} // namespace app

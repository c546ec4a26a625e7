#pragma once

#include "support/Finished.h"

// velkorn-publish as the maker runs it. The test program defines VELKORN_TEST_PUBLISH, the command's path.
inline Finished runPublish(const QStringList& arguments,
                           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    return runToEnd(QStringLiteral(VELKORN_TEST_PUBLISH), arguments, env);
}

// Prints what the C library and Qt make of the environment's locale, before and after the database engine's pin:
//   <LC_CTYPE adopted by Qt> <LC_CTYPE pinned> <LC_NUMERIC pinned> <QLocale::system() name> <1.5 as the user sees it>
#include "platform/EngineLocale.h"

#include <QCoreApplication>
#include <QLocale>

#include <clocale>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray adopted = std::setlocale(LC_CTYPE, nullptr);
    platform::pinEngineLocale();
    std::printf("%s %s %s %s %s\n", adopted.constData(), std::setlocale(LC_CTYPE, nullptr),
                std::setlocale(LC_NUMERIC, nullptr), qPrintable(QLocale::system().name()),
                qPrintable(QLocale::system().toString(1.5)));
    return 0;
}

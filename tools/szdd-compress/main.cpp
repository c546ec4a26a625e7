// Build tool: compresses one file into the SZDD format.
// Usage: velkorn-szdd-compress INPUT OUTPUT [LASTCHAR]
// LASTCHAR is the name's last character stored in the header (default: the input's last character).
#include "update/archive/Szdd.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s INPUT OUTPUT [LASTCHAR]\n", argv[0]);
        return 2;
    }
    const QString input = QFile::decodeName(argv[1]);
    const QString output = QFile::decodeName(argv[2]);
    char lastChar = '\0';
    if (argc == 4)
        lastChar = argv[3][0];
    else if (const QString name = QFileInfo(input).fileName(); !name.isEmpty())
        lastChar = name.back().toLatin1();

    QFile in(input);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray packed = archive::compressSzdd(in.readAll(), lastChar);
    QFile out(output);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(packed) != packed.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        out.remove();
        return 1;
    }
    return 0;
}

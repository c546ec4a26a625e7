// Build tool: turns a UTF-8 language file source into the Windows-1254 file the
// program reads, with CR LF line ends. Fails on any character the code page lacks,
// so that a typing slip in a source never ships as a question mark.
#include "base/IniFile.h"

#include <QFile>
#include <QString>

#include <cstdio>

using base::IniFile;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: velkorn-lng-encode SOURCE.lng TARGET.lng\n");
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString targetPath = QString::fromLocal8Bit(argv[2]);

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QByteArray out;
    int lineNumber = 0;
    for (QByteArray line : source.readAll().split('\n')) {
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        const QString text = QString::fromUtf8(line);
        const QByteArray encoded = IniFile::toCp1254(text);
        if (IniFile::fromCp1254(encoded) != text) {
            std::fprintf(stderr, "%s:%d: text outside Windows-1254\n", argv[1], lineNumber);
            return 1;
        }
        out += encoded;
        out += "\r\n";
    }
    while (out.endsWith("\r\n\r\n"))
        out.chop(2);

    QFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly) || target.write(out) != out.size() || !target.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

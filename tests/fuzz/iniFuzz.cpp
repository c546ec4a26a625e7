// Profile (INI) files: the language files and every other profile file the program reads. Every section and
// key listed is looked up, and the file written back must read the same.
#include "FuzzSupport.h"

#include "base/IniFile.h"

using base::IniFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniFile ini(QString{});
    ini.loadFromBytes(fuzz::bytesOf(data, size));
    const QStringList sections = ini.sections();
    for (const QString& section : sections) {
        const QStringList keys = ini.keys(section);
        for (const QString& key : keys) {
            if (!ini.contains(section, key))
                __builtin_trap(); // a listed key must be found
            if (ini.value(section, key).size() > IniFile::MaxValueLength)
                __builtin_trap();
        }
    }
    IniFile again(QString{});
    again.loadFromBytes(ini.toBytes());
    if (again.sections() != sections)
        __builtin_trap(); // writing the file back must not change what it says
    IniFile::toCp1254(IniFile::fromCp1254(fuzz::bytesOf(data, size)));
    return 0;
}

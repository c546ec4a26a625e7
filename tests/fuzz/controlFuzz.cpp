// The update control file as the update engine reads it from the update server: every key the engine asks
// for, read with its value type and the value formats (versions, dates, macros, paths) applied.
#include "FuzzSupport.h"

#include "update/ControlFile.h"
#include "update/UpdateFormats.h"

#include <algorithm>

using update::ControlFile;

namespace {

const char* const kTextKeys[][2] = {
    {"update", "signature"}, {"application", "appname"}, {"application", "appparam"}, {"application", "appcomps"},
    {"update", "descr"},     {"update", "newversion"},   {"custom", "validatemsg"},   {"action", "msg"},
    {"action", "htmldlg"},   {"action", "runbefore"},    {"action", "showURL"},       {"action", "query"},
    {"action", "updateURL"}, {"action", "runafter"},     {"update", "localversion"},
};

void readValueFormats(const ControlFile& control, const QString& section)
{
    update::ParseVersion(control.text(section, "newversion"));
    update::parseDateTime(control.text(section, "date"), control.text(section, "time"), "dd/mm/yyyy", '/', "hh:nn:ss",
                          ':');
    const auto lookup = [](const QString& name) -> std::optional<QString> {
        if (name == QLatin1String("APP"))
            return update::macroDirectory("/opt/velkorn/");
        return std::nullopt;
    };
    update::toLocalPath(update::expandMacros(control.text(section, "localversion"), lookup));
    update::fileNameFromUrl(update::expandMacros(control.text(section, "url"), lookup));
    control.integer(section, "newsize", 0);
    control.integer(section, "newchecksum", -1);
    control.flag(section, "compressed");
    control.present(section, "unconditional");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratchFile(QStringLiteral("velkorn.INF"), fuzz::bytesOf(data, size));
    ControlFile control;
    if (!control.open(path))
        return 0;
    for (const auto& key : kTextKeys)
        control.text(QLatin1String(key[0]), QLatin1String(key[1]));
    readValueFormats(control, QStringLiteral("update"));
    const int count = std::min(control.integer("files", "count", 0), std::min(control.sectionCount(), 64));
    for (int i = 1; i <= count; ++i)
        readValueFormats(control, QStringLiteral("file%1").arg(i));
    return 0;
}

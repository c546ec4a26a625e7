#include "update/CatalogUpdateSettings.h"

#include "update/TWebUpdate.h"

namespace update {

void applyCatalogSettings(TWebUpdate& upd)
{
    upd.setObjectName("upd");
    upd.UpdateType = httpUpdate;
    upd.Authenticate = waNever;
    upd.UpdateConnect = wucNoConnect;
    upd.UpdateUpdate = wuuPromptAll;
    upd.VersionCheck = vcAlways;
    upd.URL = "velkorn.INF";
    upd.LastURLEntry.Save = false;
    upd.LastURLEntry.RegRoot = lurLOCALUSER;
    upd.Logging = false;
    upd.TempDirectory = ".";
}

} // namespace update

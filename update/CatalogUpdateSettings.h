#pragma once

namespace update {

class TWebUpdate;

// Gives the engine the settings that the catalog's main window form sets on its `upd` (HTTP transfers,
// credentials always sent, vcAlways, a question before each file), and the object name "upd".
// Host, URL, UserID and Password are set after a catalog synchronisation.
void applyCatalogSettings(TWebUpdate& upd);

} // namespace update

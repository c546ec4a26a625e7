#pragma once

// The database client's status vector, for the few places that talk to the engine directly. Includes the client's
// own header, which only this library sees: not for other modules.
#include <QString>
#include <ibase.h>

namespace catalog {

// True when the call that filled `status` failed.
bool engineFailed(const ISC_STATUS* status);

// The client's text for a failed call, one line per message.
QString engineStatusText(const ISC_STATUS* status);

// True when `code` is among the error codes of the status vector.
bool engineStatusHas(const ISC_STATUS* status, ISC_STATUS code);

} // namespace catalog

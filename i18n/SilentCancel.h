#pragma once

namespace i18n {

// Thrown to abandon the calling operation without any further message. The
// application catches it in one place (the event loop and around the main
// window's start-up) and drops it.
struct SilentCancel
{
};

} // namespace i18n

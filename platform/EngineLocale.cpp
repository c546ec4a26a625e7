#include "platform/EngineLocale.h"

#include <clocale>

namespace platform {

void pinEngineLocale()
{
    // C.UTF-8 rather than C: the engine still has to turn UTF-8 file names (a user's "Masaüstü") into wide text.
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        std::setlocale(LC_CTYPE, "C");
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace platform

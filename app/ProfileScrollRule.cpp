#include "app/ProfileScrollRule.h"

namespace app {

ProfileScrollState applyProfileScrollRule(ProfileScrollState state, int pageHeight, int pictureHeight)
{
    if (pageHeight < pictureHeight) {
        state.visible = true;
        state.maximum = pictureHeight - pageHeight;
    }
    return state;
}

} // namespace app

#pragma once

// The scroll rule of the long profile picture: the bar appears once the page is shorter than the picture and
// then stays, keeping its last maximum when the page grows again.
namespace app {

struct ProfileScrollState
{
    bool visible = false;
    int maximum = 0;
};

ProfileScrollState applyProfileScrollRule(ProfileScrollState state, int pageHeight, int pictureHeight);

// Top of the picture inside its page at scroll position `position`.
inline int profilePictureTop(int position)
{
    return 8 - position;
}

} // namespace app

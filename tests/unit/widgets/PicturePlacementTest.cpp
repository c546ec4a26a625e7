#include "widgets/PicturePlacement.h"

#include <gtest/gtest.h>

TEST(PicturePlacement, PicturesSmallerThanTheControl)
{
    const QSize control(100, 80);
    const QSize picture(30, 21);
    EXPECT_EQ(placePicture(Placement::TopLeft, control, picture), QRect(0, 0, 30, 21));
    EXPECT_EQ(placePicture(Placement::TopRight, control, picture), QRect(70, 0, 30, 21));
    EXPECT_EQ(placePicture(Placement::BottomLeft, control, picture), QRect(0, 59, 30, 21));
    EXPECT_EQ(placePicture(Placement::BottomRight, control, picture), QRect(70, 59, 30, 21));
    // Halves round down: (70 / 2, 59 / 2).
    EXPECT_EQ(placePicture(Placement::Center, control, picture), QRect(35, 29, 30, 21));
    EXPECT_EQ(placePicture(Placement::Stretched, control, picture), QRect(0, 0, 100, 80));
}

TEST(PicturePlacement, PicturesLargerThanTheControlStartAtTheOrigin)
{
    const QSize control(50, 40);
    const QSize picture(80, 60);
    for (Placement p : {Placement::TopLeft, Placement::TopRight, Placement::BottomLeft, Placement::BottomRight,
                        Placement::Center, Placement::Tiled})
        EXPECT_EQ(placePicture(p, control, picture), QRect(0, 0, 80, 60)) << int(p);
    // Larger in one direction only.
    EXPECT_EQ(placePicture(Placement::BottomRight, QSize(50, 100), picture), QRect(0, 40, 80, 60));
}

TEST(PicturePlacement, StretchedWithAspectFitsAtTopLeft)
{
    EXPECT_EQ(placePicture(Placement::StretchedWithAspect, QSize(100, 100), QSize(40, 20)), QRect(0, 0, 100, 50));
    EXPECT_EQ(placePicture(Placement::StretchedWithAspect, QSize(100, 100), QSize(20, 40)), QRect(0, 0, 50, 100));
    EXPECT_EQ(placePicture(Placement::StretchedWithAspect, QSize(30, 60), QSize(300, 200)), QRect(0, 0, 30, 20));
    EXPECT_EQ(placePicture(Placement::StretchedWithAspect, QSize(10, 10), QSize(0, 0)), QRect(0, 0, 0, 0));
}

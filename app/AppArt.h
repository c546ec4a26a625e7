#pragma once

#include <QRect>
#include <QString>

#include <functional>

class QObject;
class QWidget;

// Builds the window's picture components from the built-in artwork (":/art/..."). Artwork that cannot be read
// leaves its component empty: a broken picture must not stop the window from coming up.
namespace app {

class PictureBox;

enum class ArtPlacement
{
    TopLeft,
    BottomRight,
    Center,
    Tiled,
    Stretched,
};

// Picture background (children may sit on it).
QWidget* makeWallPaper(QWidget* parent, const QString& name, const QString& art, ArtPlacement placement,
                       const QRect& geometry);
// Picture button with a second picture under the pointer; hand cursor, no keyboard focus.
QWidget* makeImageButton(QWidget* parent, const QString& name, const QString& art, const QString& artOver,
                         const QRect& geometry);
void onImageButtonClick(QWidget* button, QObject* context, std::function<void()> handler);
// Rich-text label from a built-in RTF document.
QWidget* makeRichText(QWidget* parent, const QString& name, const QString& art, const QRect& geometry);
// Background picture control (placed, not stretched).
QWidget* makeBackgroundPicture(QWidget* parent, const QString& name, const QString& art, ArtPlacement placement);
// Plain picture at its natural size (or the given size when one is given).
PictureBox* makePicture(QWidget* parent, const QString& name, const QString& art, const QRect& geometry);

} // namespace app

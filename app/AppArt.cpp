#include "app/AppArt.h"

#include "app/PictureBox.h"
#include "widgets/PictureData.h"
#include "widgets/TAdvPicture.h"
#include "widgets/TImageButton.h"
#include "widgets/TRTFLabel.h"
#include "widgets/TWallPaper.h"

#include <QFile>
#include <QPixmap>

using widgets::PictureLoadError;
using widgets::TAdvPicture;
using widgets::TImageButton;
using widgets::TRTFLabel;
using widgets::TWallPaper;

namespace app {

namespace {
QByteArray artBytes(const QString& art)
{
    QFile file(":/art/" + art);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename Setter> void loadArt(Setter&& setter)
{
    try {
        setter();
    } catch (const PictureLoadError&) {
        // Built-in artwork that does not decode leaves its slot empty; the window works without it.
    }
}
} // namespace

QWidget* makeWallPaper(QWidget* parent, const QString& name, const QString& art, ArtPlacement placement,
                       const QRect& geometry)
{
    auto* w = new TWallPaper(parent);
    TWallPaper::ImagePosition pos = TWallPaper::ipTopLeft;
    switch (placement) {
    case ArtPlacement::TopLeft:
        pos = TWallPaper::ipTopLeft;
        break;
    case ArtPlacement::BottomRight:
        pos = TWallPaper::ipBottomRight;
        break;
    case ArtPlacement::Center:
        pos = TWallPaper::ipCenter;
        break;
    case ArtPlacement::Tiled:
        pos = TWallPaper::ipTiled;
        break;
    case ArtPlacement::Stretched:
        pos = TWallPaper::ipStretched;
        break;
    }
    w->setImagePosition(pos);
    if (!art.isEmpty())
        loadArt([&] { w->setAdvImage(artBytes(art)); });
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

QWidget* makeImageButton(QWidget* parent, const QString& name, const QString& art, const QString& artOver,
                         const QRect& geometry)
{
    auto* w = new TImageButton(parent);
    loadArt([&] { w->setBitmap(artBytes(art)); });
    if (!artOver.isEmpty())
        loadArt([&] { w->setBitmapOver(artBytes(artOver)); });
    w->setCursor(Qt::PointingHandCursor);
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

void onImageButtonClick(QWidget* button, QObject* context, std::function<void()> handler)
{
    QObject::connect(static_cast<TImageButton*>(button), &TImageButton::OnClick, context,
                     [handler](QObject*) { handler(); });
}

QWidget* makeRichText(QWidget* parent, const QString& name, const QString& art, const QRect& geometry)
{
    auto* w = new TRTFLabel(parent);
    w->setTransparent(true);
    w->setWordWrap(false);
    w->setRichText(artBytes(art));
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

QWidget* makeBackgroundPicture(QWidget* parent, const QString& name, const QString& art, ArtPlacement placement)
{
    auto* w = new TAdvPicture(parent);
    w->setPicturePosition(placement == ArtPlacement::BottomRight ? TAdvPicture::bpBottomRight : TAdvPicture::bpTopLeft);
    loadArt([&] { w->setPicture(artBytes(art)); });
    w->setObjectName(name);
    return w;
}

PictureBox* makePicture(QWidget* parent, const QString& name, const QString& art, const QRect& geometry)
{
    auto* w = new PictureBox(parent);
    w->setObjectName(name);
    const QPixmap pixmap(":/art/" + art);
    w->setPixmap(pixmap);
    QRect r = geometry;
    if (r.size().isEmpty())
        r.setSize(pixmap.isNull() ? QSize(1, 1) : pixmap.size());
    w->setGeometry(r);
    return w;
}

} // namespace app

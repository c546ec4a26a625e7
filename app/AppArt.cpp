#include "app/AppArt.h"

#include "app/DataText.h"
#include "app/PictureBox.h"

#include <QFile>
#include <QPixmap>
#include <QPushButton>

#ifdef VELKORN_APP_HAVE_WIDGETS
#include "widgets/PictureData.h"
#include "widgets/TAdvPicture.h"
#include "widgets/TImageButton.h"
#include "widgets/TRTFLabel.h"
#include "widgets/TWallPaper.h"
#endif

namespace app {

namespace {
QByteArray artBytes(const QString& art)
{
    QFile file(":/art/" + art);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename Setter> void loadArt(Setter&& setter)
{
#ifdef VELKORN_APP_HAVE_WIDGETS
    try {
        setter();
    } catch (const PictureLoadError&) {
        // Built-in artwork that does not decode leaves its slot empty; the window works without it.
    }
#else
    setter();
#endif
}
} // namespace

QWidget* makeWallPaper(QWidget* parent, const QString& name, const QString& art, ArtPlacement placement,
                       const QRect& geometry)
{
#ifdef VELKORN_APP_HAVE_WIDGETS
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
#else
    Q_UNUSED(placement);
    auto* w = new PictureBox(parent);
    if (!art.isEmpty())
        w->setPixmap(QPixmap(":/art/" + art));
#endif
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

QWidget* makeImageButton(QWidget* parent, const QString& name, const QString& art, const QString& artOver,
                         const QRect& geometry)
{
#ifdef VELKORN_APP_HAVE_WIDGETS
    auto* w = new TImageButton(parent);
    loadArt([&] { w->setBitmap(artBytes(art)); });
    if (!artOver.isEmpty())
        loadArt([&] { w->setBitmapOver(artBytes(artOver)); });
#else
    Q_UNUSED(artOver);
    auto* w = new QPushButton(parent);
    w->setFlat(true);
    w->setIcon(QPixmap(":/art/" + art));
    w->setFocusPolicy(Qt::NoFocus);
#endif
    w->setCursor(Qt::PointingHandCursor);
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

void onImageButtonClick(QWidget* button, QObject* context, std::function<void()> handler)
{
#ifdef VELKORN_APP_HAVE_WIDGETS
    QObject::connect(static_cast<TImageButton*>(button), &TImageButton::OnClick, context,
                     [handler](QObject*) { handler(); });
#else
    QObject::connect(static_cast<QPushButton*>(button), &QPushButton::clicked, context, [handler] { handler(); });
#endif
}

QWidget* makeRichText(QWidget* parent, const QString& name, const QString& art, const QRect& geometry)
{
#ifdef VELKORN_APP_HAVE_WIDGETS
    auto* w = new TRTFLabel(parent);
    w->setTransparent(true);
    w->setWordWrap(false);
    w->setRichText(artBytes(art));
#else
    auto* w = new DataText(parent);
    w->setText(art);
#endif
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

QWidget* makeBackgroundPicture(QWidget* parent, const QString& name, const QString& art, ArtPlacement placement)
{
#ifdef VELKORN_APP_HAVE_WIDGETS
    auto* w = new TAdvPicture(parent);
    w->setPicturePosition(placement == ArtPlacement::BottomRight ? TAdvPicture::bpBottomRight : TAdvPicture::bpTopLeft);
    loadArt([&] { w->setPicture(artBytes(art)); });
#else
    Q_UNUSED(placement);
    auto* w = new PictureBox(parent, PictureBox::CenterFit);
    w->setPixmap(QPixmap(":/art/" + art));
#endif
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

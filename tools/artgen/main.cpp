// velkorn-artgen: draws every picture and rich text of the catalog.
//   velkorn-artgen --art DIR [--images DIR]...
// --art receives the resources; each --images directory receives the demo item pictures.

#include "ArtOutput.h"
#include "BrandArt.h"
#include "ItemArt.h"
#include "PageArt.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the Velkorn catalog artwork."));
    parser.addHelpOption();
    const QCommandLineOption artOption(QStringLiteral("art"), QStringLiteral("Directory for the resources."),
                                       QStringLiteral("dir"));
    const QCommandLineOption imagesOption(QStringLiteral("images"),
                                          QStringLiteral("Directory for the demo item pictures (repeatable)."),
                                          QStringLiteral("dir"));
    parser.addOption(artOption);
    parser.addOption(imagesOption);
    parser.process(app);

    QTextStream err(stderr);
    if (!parser.isSet(artOption) && !parser.isSet(imagesOption)) {
        err << "velkorn-artgen: give --art and/or --images\n";
        return 2;
    }
    QStringList failures;
    if (parser.isSet(artOption)) {
        ArtOutput art(parser.value(artOption));
        artgen::writeBrandArt(art);
        artgen::writeHeaderArt(art);
        artgen::writePictograms(art);
        artgen::writePageArt(art);
        failures << art.failures();
    }
    for (const QString& dir : parser.values(imagesOption)) {
        ArtOutput images(dir);
        artgen::writeItemPictures(images);
        failures << images.failures();
    }
    for (const QString& name : failures)
        err << "velkorn-artgen: could not write " << name << '\n';
    return failures.isEmpty() ? 0 : 1;
}

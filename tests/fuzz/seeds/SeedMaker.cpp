// velkorn-fuzz-seeds OUT_DIR DIST_DIR: writes the seed corpus of every fuzz target, one folder per target, from
// the project's own generators and writers: feeds the catalog server writes for a generated catalog, the
// artwork's rich texts and pictures, the language files, control files, SZDD images and cabinets, the lookup
// socket's requests and answers for that catalog's codes, and import files as velkorn-publish reads them.
#include "CabWriter.h"
#include "DemoCatalog.h"
#include "MasterCatalog.h"

#include "assets/Assets.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CodeIndex.h"
#include "catalog/CsvText.h"
#include "catalog/LookupChannel.h"
#include "update/archive/Szdd.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>

namespace {

QString g_out;

void writeSeed(const QString& target, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(g_out + QLatin1Char('/') + target);
    QFile file(g_out + QLatin1Char('/') + target + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write seed " + name.toStdString());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

// The lookup target's first byte chooses the side: even for a request, odd for an answer to as many texts as it
// claims. The texts: a whole search code, a piece of one, a wildcard, and one no item has.
void lookupSeeds(const QString& catalogFile)
{
    namespace channel = catalog::lookupchannel;
    const QString connection = QStringLiteral("fuzz-seeds");
    catalog::CodeIndex index;
    QStringList texts;
    {
        const QSqlDatabase db = catalog::openDatabase(catalogFile, connection);
        index = catalog::CodeIndex::load(db);
        QSqlQuery q = catalog::runQuery(db, QStringLiteral("select first 1 search_code from item_code order by id"));
        if (q.next())
            texts << q.value(0).toString();
    }
    catalog::closeDatabase(connection);
    if (texts.isEmpty())
        throw std::runtime_error("the generated catalog has no codes");
    texts << texts.first().left(3) << QStringLiteral("1_") << QStringLiteral("nosuchcode");
    channel::Answers answers;
    for (const QString& text : texts)
        answers << index.search(text, 20);
    const auto seed = [](const QString& name, char side, const QByteArray& body) {
        writeSeed(QStringLiteral("lookup"), name, side + body);
    };
    seed(QStringLiteral("request.bin"), '\0', channel::encodeRequest(texts));
    seed(QStringLiteral("request-one.bin"), '\0', channel::encodeRequest({texts.first()}));
    seed(QStringLiteral("answer.bin"), '\1', channel::encodeAnswer(answers));
    seed(QStringLiteral("answer-none.bin"), '\1', channel::encodeAnswer({{}}));
    seed(QStringLiteral("not-ready.bin"), '\1', channel::encodeRefusal(channel::Status::NotReady));
    seed(QStringLiteral("too-large.bin"), '\1', channel::encodeRefusal(channel::Status::TooLarge));
}

// Import files as the maker's tests write them with the export's writer, and as a spreadsheet program saves them.
void csvSeeds()
{
    const QStringList items =
        QStringLiteral("ID TOTAL_WEIGHT OPERATION_PRESSURE_DEFAULT OPERATION_PRESSURE_MAX OPERATION_PRESSURE_MIN "
                       "OPERATION_SPACE ASSEMBLY_HEIGHT PISTON_TYPE LOADING_CAPACITY TYPE VEHICLE1 VEHICLE2")
            .split(QLatin1Char(' '));
    const auto seed = [](const QString& name, const QByteArray& bytes) {
        writeSeed(QStringLiteral("csv"), name, bytes);
    };
    seed(QStringLiteral("items.csv"),
         catalog::csvDocument({items,
                               {"3", "9,75", "6", "10", "0,5", "250", "300", "2", "2 000 kg", "3", "4", ""},
                               {"401", "4.5", "5", "8", "0,5", "200", "310", "1", "Yük; 900", "1", "1", "2"}},
                              QLatin1Char(';')));
    seed(QStringLiteral("codes.csv"), catalog::csvDocument({{"ITEM_ID", "CODE_TYPE_ID", "CODE"},
                                                            {"401", "1", "VK 401-A"},
                                                            {"401", "4", "OEM; 401/7"},
                                                            {"7", "9", " XR-77 \"B\""}},
                                                           QLatin1Char(';')));
    seed(QStringLiteral("pictures.csv"),
         catalog::csvDocument({{"ITEM_ID", "PICTURE_URL"}, {"401", "new 401.jpg"}, {"5", "two\r\nlines.jpg"}},
                              QLatin1Char(',')));
    seed(QStringLiteral("deleted.csv"), "ID\n9\n\n12\n");
    seed(QStringLiteral("spreadsheet.csv"), "ID;TOTAL_WEIGHT;TYPE\r\n3;1,5;2\r\n\"4\";\"2\";\"\"\r\n");
}

// A generated catalog with a changed copy, so that all four feeds (items, codes, pictures, deletions) have
// records.
void feedSeeds()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.gdb"));
    const QString master = dir.filePath(QStringLiteral("master.gdb"));
    catalog::DemoCatalogOptions options;
    options.filePath = source;
    options.items = 4;
    options.forcedWrites = false;
    catalog::generateDemoCatalog(options);
    lookupSeeds(source);
    makeChangedCopy(source, master, 2);
    MasterCatalog catalog(master);
    const QDateTime since(QDate(1990, 1, 1), QTime(0, 0));
    for (int t = 1; t <= 4; ++t)
        writeSeed(QStringLiteral("feed"), QStringLiteral("feed%1.xml").arg(t), catalog.feed(t, since));
}

// Pictures kept small: a fuzzer mutates a 2 KB file far faster than a 200 KB one.
QByteArray encoded(const QImage& image, const char* format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(60);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        throw std::runtime_error("cannot encode a picture: " + writer.errorString().toStdString());
    return bytes;
}

void pictureAndRtfSeeds()
{
    for (const char* lang : {"TR", "EN", "DE"}) {
        for (const QString name : {QStringLiteral("intro%1.rtf"), QStringLiteral("rtfProfile%1.rtf")}) {
            const QString file = name.arg(QLatin1String(lang));
            writeSeed(QStringLiteral("rtf"), file, assets::readArt(file));
        }
    }
    for (const char* art : {"logo.jpg", "btnNext.jpg", "studs.png"}) {
        QImage image;
        if (!image.loadFromData(assets::readArt(QLatin1String(art))))
            throw std::runtime_error(std::string("cannot read the artwork ") + art);
        const QImage small = image.scaledToWidth(40, Qt::SmoothTransformation);
        const QString stem = QString::fromLatin1(art).section(QLatin1Char('.'), 0, 0);
        writeSeed(QStringLiteral("picture"), stem + QStringLiteral(".jpg"), encoded(small, "jpeg"));
        writeSeed(QStringLiteral("picture"), stem + QStringLiteral("-progressive.jpg"), encoded(small, "jpeg", true));
        writeSeed(QStringLiteral("picture"), stem + QStringLiteral("-24.bmp"),
                  encoded(small.convertToFormat(QImage::Format_RGB32), "bmp"));
        writeSeed(QStringLiteral("picture"), stem + QStringLiteral("-8.bmp"),
                  encoded(small.convertToFormat(QImage::Format_Indexed8), "bmp"));
        writeSeed(QStringLiteral("picture"), stem + QStringLiteral("-1.bmp"),
                  encoded(small.convertToFormat(QImage::Format_Mono), "bmp"));
        writeSeed(QStringLiteral("picture"), stem + QStringLiteral("-32.bmp"),
                  encoded(small.convertToFormat(QImage::Format_ARGB32), "bmp"));
    }
}

// Control files as the update tests publish them.
const QByteArray kControlFiles[] = {
    "[update]\nunconditional=1\n",
    "[update]\nnewversion=1.0\n",
    "[update]\nnewversion=99.0\nlocalversion={APP}\\velkorn\ndescr=Spring release\ndate=17/05/2008\ntime=14:30:42\n"
    "[application]\nappupdate=1\nappname={APP}\\velkorn\nappcomps=velkorn.exe\nsilentrestart=1\n"
    "[files]\ncount=2\n"
    "[file1]\nurl=http://127.0.0.1/upd/velkorn.ex_\nnewversion=1.2.0.0\nnewsize=0x1F40\nnewchecksum=$FF\n"
    "targetdir={APP}\ncompressed=1\nmandatory=1\n"
    "[file2]\nurl=http://127.0.0.1/upd/tr.lng\ndate=01/02/2009\ntime=08:00\nlocalversion={APP}\\tr.lng\n"
    "hidden=1\ndescr=\"Turkish texts\"\n",
    "\xEF\xBB\xBF[update]\r\nsignature=velkorn\r\nnewversion=2,0,1,7\r\n[action]\r\nmsg=Ready\r\n"
    "runafter={APP}\\velkorn\r\nshowURL=http://127.0.0.1/\r\n[custom]\r\nvalidatemsg=x\r\n",
};

void iniAndControlSeeds(const QString& distDir)
{
    for (const char* lang : {"tr", "en", "de"}) {
        const QString name = QStringLiteral("%1.lng").arg(QLatin1String(lang));
        writeSeed(QStringLiteral("ini"), name, readFile(distDir + QLatin1Char('/') + name));
    }
    int n = 0;
    for (const QByteArray& control : kControlFiles) {
        ++n;
        writeSeed(QStringLiteral("control"), QStringLiteral("control%1.inf").arg(n), control);
        writeSeed(QStringLiteral("ini"), QStringLiteral("control%1.inf").arg(n), control);
    }
}

void archiveSeeds(const QString& distDir)
{
    const QByteArray lng = readFile(distDir + QStringLiteral("/en.lng"));
    writeSeed(QStringLiteral("szdd"), QStringLiteral("en.ln_"), archive::compressSzdd(lng.left(1500), 'g'));
    writeSeed(QStringLiteral("szdd"), QStringLiteral("control.in_"), archive::compressSzdd(kControlFiles[2], 'f'));
    writeSeed(QStringLiteral("szdd"), QStringLiteral("blank.da_"), archive::compressSzdd(QByteArray(300, ' '), 't'));
    writeSeed(QStringLiteral("szdd"), QStringLiteral("empty.da_"), archive::compressSzdd(QByteArray()));

    CabWriter one;
    one.add(QStringLiteral("velkorn.INF"), kControlFiles[0]);
    writeSeed(QStringLiteral("cab"), QStringLiteral("one.cab"), one.build());
    CabWriter several;
    several.add(QStringLiteral("readme.txt"), "hello");
    several.add(QStringLiteral("lang\\en.lng"), lng.left(700));
    several.add(QStringLiteral("data\\sub\\empty.bin"), QByteArray());
    writeSeed(QStringLiteral("cab"), QStringLiteral("several.cab"), several.build());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: velkorn-fuzz-seeds OUT_DIR DIST_DIR\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    const QString distDir = QString::fromLocal8Bit(argv[2]);
    try {
        pictureAndRtfSeeds();
        iniAndControlSeeds(distDir);
        archiveSeeds(distDir);
        csvSeeds();
        feedSeeds();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velkorn-fuzz-seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}

#include "CabWriter.h"
#include "update/archive/Cabinet.h"
#include "update/archive/Szdd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b(n, '\0');
    for (char& c : b)
        c = char(rng.bounded(256));
    return b;
}

// Text-like data with repeats at every distance, so the compressor's matches reach the far end of the window.
QByteArray mixedBytes(int n)
{
    QByteArray b;
    QRandomGenerator rng(7);
    const QByteArray words[] = {"air spring ", "bellows ", "   ", "\0\0\0\0", "Velkorn ", "piston\r\n"};
    while (b.size() < n) {
        if (rng.bounded(4) == 0)
            b.append(char(rng.bounded(256)));
        else
            b.append(words[rng.bounded(6)]);
        if (b.size() > 5000 && rng.bounded(50) == 0)
            b.append(b.mid(b.size() - 4000 - rng.bounded(95), 30));
    }
    b.truncate(n);
    return b;
}

class SzddTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QByteArray roundTrip(const QByteArray& data)
    {
        writeAll(path("data.bi_"), archive::compressSzdd(data, 'n'));
        QString error;
        EXPECT_TRUE(archive::expandSzdd(path("data.bi_"), path("data.bin"), &error)) << error.toStdString();
        return readAll(path("data.bin"));
    }

    QTemporaryDir m_dir;
};

// The compressor is ours and libmspack is the reference decoder: every shape of input must come back unchanged.
TEST_F(SzddTest, RoundTripsThroughTheReferenceDecoder)
{
    const QList<QByteArray> inputs = {
        QByteArray(),
        QByteArray("a"),
        QByteArray("ab"),
        QByteArray(5000, ' '),   // matches reach into the blank-filled start window
        QByteArray(70000, '\0'), // long overlapping runs
        QByteArray("   leading blanks then text"),
        randomBytes(100000, 1), // incompressible
        mixedBytes(600000),
    };
    for (const QByteArray& in : inputs)
        EXPECT_EQ(roundTrip(in), in) << "input of " << in.size() << " bytes";
}

TEST_F(SzddTest, CompressesRedundantDataAndWritesTheHeader)
{
    const QByteArray text = mixedBytes(200000);
    const QByteArray packed = archive::compressSzdd(text, 'e');
    EXPECT_LT(packed.size(), text.size() / 2);
    EXPECT_TRUE(packed.startsWith(QByteArray("SZDD\x88\xF0\x27\x33"
                                             "Ae",
                                             10)));
    const QByteArray length = packed.mid(10, 4);
    EXPECT_EQ(quint32(uchar(length[0])) | quint32(uchar(length[1])) << 8 | quint32(uchar(length[2])) << 16 |
                  quint32(uchar(length[3])) << 24,
              quint32(text.size()));
    // Random data grows by at most one control byte in eight.
    EXPECT_LE(archive::compressSzdd(randomBytes(80000, 2)).size(), 14 + 80000 + 10000 + 1);
}

TEST_F(SzddTest, ExpandedNameTakesTheStoredCharacter)
{
    writeAll(path("upd.ex_"), archive::compressSzdd("x", 'e'));
    EXPECT_TRUE(archive::isSzdd(path("upd.ex_")));
    EXPECT_EQ(archive::expandedSzddName(path("upd.ex_")), path("upd.exe"));
    writeAll(path("plain.txt"), "SZDD but not really");
    EXPECT_FALSE(archive::isSzdd(path("plain.txt")));
    EXPECT_TRUE(archive::expandedSzddName(path("plain.txt")).isEmpty());
    EXPECT_FALSE(archive::isSzdd(path("missing")));
}

TEST_F(SzddTest, RejectsBadHeaderTruncationAndSelfExpansion)
{
    QString error;
    writeAll(path("bad.ex_"), QByteArray("SZDD\x88\xF0\x27\x34"
                                         "Ae\4\0\0\0abcd",
                                         18));
    EXPECT_FALSE(archive::expandSzdd(path("bad.ex_"), path("bad.exe"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("bad.exe")));

    const QByteArray packed = archive::compressSzdd(randomBytes(50000, 3), 'e');
    for (int keep : {14, 15, 1000, int(packed.size()) - 1}) {
        writeAll(path("cut.ex_"), packed.left(keep));
        EXPECT_FALSE(archive::expandSzdd(path("cut.ex_"), path("cut.exe"), nullptr)) << keep;
        EXPECT_FALSE(QFileInfo::exists(path("cut.exe"))) << "partial output left behind at " << keep;
    }
    writeAll(path("short.ex_"), packed.left(10));
    EXPECT_FALSE(archive::expandSzdd(path("short.ex_"), path("short.exe"), nullptr));

    writeAll(path("self_"), packed);
    EXPECT_FALSE(archive::expandSzdd(path("self_"), path("self_"), nullptr));
    EXPECT_EQ(readAll(path("self_")), packed);
    EXPECT_FALSE(archive::expandSzdd(path("nothing.ex_"), path("nothing.exe"), nullptr));
}

class CabinetTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString target() const { return m_dir.filePath("target"); }

    QTemporaryDir m_dir;
};

TEST_F(CabinetTest, UnpacksFilesWithDirectoriesAndTimes)
{
    CabWriter writer;
    const QByteArray big = mixedBytes(100000); // spans several data blocks
    writer.add("readme.txt", "hello");
    writer.add("data\\sub\\big.bin", big, QDateTime(QDate(2007, 12, 3), QTime(8, 4, 10)));
    writer.add("empty.txt", QByteArray());
    writeAll(path("a.cab"), writer.build());

    QString error;
    ASSERT_TRUE(archive::extractCabinet(path("a.cab"), target(), &error)) << error.toStdString();
    EXPECT_EQ(readAll(target() + "/readme.txt"), QByteArray("hello"));
    EXPECT_EQ(readAll(target() + "/data/sub/big.bin"), big);
    EXPECT_TRUE(QFileInfo::exists(target() + "/empty.txt"));
    EXPECT_EQ(QFileInfo(target() + "/data/sub/big.bin").lastModified(),
              QDateTime(QDate(2007, 12, 3), QTime(8, 4, 10), Qt::LocalTime));
    EXPECT_TRUE(QFileInfo::exists(path("a.cab"))); // deleting it is the caller's business
}

TEST_F(CabinetTest, EmptyTargetMeansTheCurrentDirectory)
{
    CabWriter writer;
    writer.add("here.txt", "x");
    writeAll(path("b.cab"), writer.build());
    const QString before = QDir::currentPath();
    QDir().mkpath(target());
    QDir::setCurrent(target());
    const bool ok = archive::extractCabinet(path("b.cab"), QString(), nullptr);
    QDir::setCurrent(before);
    ASSERT_TRUE(ok);
    EXPECT_EQ(readAll(target() + "/here.txt"), QByteArray("x"));
}

// A cabinet comes from the network: an entry that would land outside the target fails the whole unpacking.
TEST_F(CabinetTest, RefusesEntriesLeavingTheTarget)
{
    const QStringList unsafe = {"..\\escaped.txt", "sub\\..\\..\\escaped.txt", "\\escaped.txt",
                                "/escaped.txt",    "C:\\escaped.txt",          "c:escaped.txt"};
    for (const QString& name : unsafe) {
        CabWriter writer;
        writer.add("first.txt", "ok");
        writer.add(name, "evil");
        writeAll(path("evil.cab"), writer.build());
        QString error;
        EXPECT_FALSE(archive::extractCabinet(path("evil.cab"), target(), &error)) << name.toStdString();
        EXPECT_TRUE(error.contains("unsafe")) << error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path("escaped.txt")));
        EXPECT_FALSE(QFileInfo::exists("/escaped.txt"));
        EXPECT_FALSE(QFileInfo::exists(target() + "/first.txt")) << "nothing is written before the check";
    }
    // Dots inside a name are harmless.
    CabWriter writer;
    writer.add("name..with.dots.txt", "fine");
    writeAll(path("dots.cab"), writer.build());
    EXPECT_TRUE(archive::extractCabinet(path("dots.cab"), target(), nullptr));
}

// Found by fuzzing (tests/fuzz/cabFuzz.cpp): a name starting with ':' reads as a Qt resource path, which path
// joining left unjoined, so the entry was written relative to the current directory instead of the target.
TEST_F(CabinetTest, NamesStartingWithAColonStayInTheTarget)
{
    CabWriter writer;
    writer.add(":a", "first");
    writer.add(":ata\\sub.txt", "second");
    writeAll(path("colon.cab"), writer.build());
    const QString elsewhere = path("elsewhere");
    QDir().mkpath(elsewhere);
    const QString before = QDir::currentPath();
    QDir::setCurrent(elsewhere);
    const bool ok = archive::extractCabinet(path("colon.cab"), target(), nullptr);
    QDir::setCurrent(before);
    ASSERT_TRUE(ok);
    EXPECT_EQ(readAll(target() + "/:a"), QByteArray("first"));
    EXPECT_EQ(readAll(target() + "/:ata/sub.txt"), QByteArray("second"));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
}

TEST_F(CabinetTest, FailsOnBrokenInput)
{
    EXPECT_FALSE(archive::extractCabinet(path("missing.cab"), target(), nullptr));

    writeAll(path("text.cab"), "this is not a cabinet at all, just some text");
    EXPECT_FALSE(archive::extractCabinet(path("text.cab"), target(), nullptr));

    writeAll(path("zero.cab"), QByteArray());
    EXPECT_FALSE(archive::extractCabinet(path("zero.cab"), target(), nullptr));

    CabWriter writer;
    writer.add("a.bin", randomBytes(70000, 4));
    const QByteArray cab = writer.build();
    for (int keep : {20, 50, 80, int(cab.size()) - 40000, int(cab.size()) - 1}) {
        writeAll(path("cut.cab"), cab.left(keep));
        QString error;
        EXPECT_FALSE(archive::extractCabinet(path("cut.cab"), target(), &error)) << keep;
        EXPECT_FALSE(QFileInfo::exists(target() + "/a.bin")) << "partial file left behind at " << keep;
    }
}

TEST_F(CabinetTest, UnpacksThousandsOfFiles)
{
    CabWriter writer;
    const int count = 3000;
    for (int i = 0; i < count; ++i)
        writer.add(QString("d%1\\f%2.txt").arg(i % 10).arg(i), QByteArray::number(i));
    writeAll(path("many.cab"), writer.build());
    ASSERT_TRUE(archive::extractCabinet(path("many.cab"), target(), nullptr));
    int found = 0;
    for (int i = 0; i < count; ++i)
        found += readAll(QString("%1/d%2/f%3.txt").arg(target()).arg(i % 10).arg(i)) == QByteArray::number(i);
    EXPECT_EQ(found, count);
}

} // namespace

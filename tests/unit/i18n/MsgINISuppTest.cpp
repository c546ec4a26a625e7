#include "i18n/MsgINISupp.h"
#include "i18n/LngINISupp.h"
#include "i18n/SilentCancel.h"

#include "widgets/MessageBox.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using i18n::SilentCancel;
using i18n::TLngINISupp;
using i18n::TMsgINISupp;

namespace {

const QString kNotPreset = QStringLiteral("ERROR!!!\r\nFile not preset!");
const QString kNotFound = QStringLiteral("WARNING!!!\r\n Language File Not Found! Its now creating a new!");

class MessageLookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TMsgINISupp::resetSharedState();
        widgets::setMessageBoxHandler([this](const widgets::BoxRequest& box) { boxes.append(box.text); });
        mis.setApplicationDir(dir.path());
    }
    void TearDown() override
    {
        widgets::setMessageBoxHandler({});
        TMsgINISupp::resetSharedState();
    }
    void writeLanguage(const QByteArray& bytes)
    {
        QFile file(dir.filePath("en.lng"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    TMsgINISupp mis;
    QStringList boxes;
};

} // namespace

TEST(LineBreaks, EveryGroupEndsALineAndTrailingTextIsKept)
{
    EXPECT_EQ(TMsgINISupp::convertLineBreaks(R"(First"#13#10"Second"#13#10")"), "First\r\nSecond\r\n");
    // The seven characters after the quote are skipped whatever they are.
    EXPECT_EQ(TMsgINISupp::convertLineBreaks(R"(a"1234567b"xxxxxxx)"), "a\r\nb\r\n");
    EXPECT_EQ(TMsgINISupp::convertLineBreaks(R"(One"#13#10"Two and more)"), "One\r\nTwo and more");
    EXPECT_EQ(TMsgINISupp::convertLineBreaks(R"(End"#1)"), "End\r\n");
}

TEST_F(MessageLookup, ReadsProjectMessagesAfreshByTheFileRules)
{
    writeLanguage("[Project_Messages]\r\nquoted=\"Velkorn\"\r\nlines=Updated.\"#13#10\"Done.\"#13#10\"\r\n"
                  "MixedCase=ok\r\n[Other]\r\nonly=here\r\n");
    mis.setFileName("/somewhere/else/en.lng");
    EXPECT_EQ(mis.fileName(), dir.filePath("en.lng"));
    EXPECT_EQ(mis.MessageText("quoted"), "Velkorn");
    EXPECT_EQ(mis.MessageText("lines"), "Updated.\r\nDone.\r\n");
    EXPECT_EQ(mis.MessageText("mixedcase"), "ok");
    EXPECT_EQ(mis.MessageText("missing"), "ERROR");
    EXPECT_EQ(mis.MessageText("only"), "ERROR");

    writeLanguage("[Project_Messages]\r\nquoted=changed\r\n");
    EXPECT_EQ(mis.MessageText("quoted"), "changed");
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(MessageLookup, NoFileNameWarnsAndCancelsEveryTimeAMissingFileOnce)
{
    mis.setFileName("C:\\Program Files\\Velkorn\\");
    EXPECT_THROW(mis.OpenMessages(), SilentCancel);
    EXPECT_THROW(mis.MessageText("msg001"), SilentCancel);
    EXPECT_EQ(boxes, QStringList({kNotPreset, kNotPreset}));
    EXPECT_FALSE(TMsgINISupp::opened());

    boxes.clear();
    mis.setFileName("en.lng");
    EXPECT_EQ(mis.MessageText("msg001"), "ERROR");
    EXPECT_EQ(mis.MessageText("msg002"), "ERROR");
    EXPECT_EQ(boxes, QStringList({kNotFound}));
    EXPECT_FALSE(QFile::exists(dir.filePath("en.lng")));
}

TEST_F(MessageLookup, FollowsTheLinkedLanguageComponentUntilClosed)
{
    writeLanguage("[Project_Messages]\r\nbtnNext=Next item\r\n");
    TLngINISupp lis;
    lis.setApplicationDir(dir.path());
    mis.setLngINISupp(&lis);
    lis.setFileName("en.lng");
    EXPECT_EQ(mis.MessageText("btnNext"), "Next item");
    EXPECT_EQ(mis.fileName(), lis.fileName());

    mis.CloseMessages();
    lis.ReleaseLanguage();
    EXPECT_THROW(mis.MessageText("btnNext"), SilentCancel);
    EXPECT_EQ(boxes, QStringList({kNotPreset}));
}

TEST_F(MessageLookup, AWorkerThreadLooksUpWithoutShowingBoxes)
{
    writeLanguage("[Project_Messages]\r\nmsg004=Updated\"#13#10\"\r\n");
    mis.setFileName("en.lng");
    mis.OpenMessages();
    QString text;
    std::thread([&] { text = mis.MessageText("msg004"); }).join();
    EXPECT_EQ(text, "Updated\r\n");

    // A late lookup after shutdown is cancelled; no box is built off the UI thread.
    mis.CloseMessages();
    bool cancelled = false;
    std::thread([&] {
        try {
            mis.MessageText("msg004");
        } catch (const SilentCancel&) {
            cancelled = true;
        }
    }).join();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(boxes.isEmpty());
}

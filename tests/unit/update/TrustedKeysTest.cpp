#include "update/TrustedKeys.h"

#include "MinisignTool.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// Every key the build names must parse: one that did not would be dropped without a word, and releases
// signed with it refused.
TEST(TrustedKeys, EveryBuiltInKeyIsUsable)
{
    ASSERT_FALSE(update::trustedKeyTexts().isEmpty());
    EXPECT_EQ(update::trustedKeys().size(), update::trustedKeyTexts().size());
}

// The committed demo pair belongs together, so the demos and tests that sign with the secret half are
// accepted by a default build.
TEST(TrustedKeys, TheDemoSecretKeySignsForTheBuiltInDemoKey)
{
    const QByteArray demoKey = readFile(VELKORN_SOURCE_DIR "/update/keys/demo-DO-NOT-SHIP.pub").split('\n').value(1);
    if (!update::trustedKeyTexts().contains(demoKey))
        GTEST_SKIP() << "this build does not trust the demo key";
    QTemporaryDir dir;
    const QString file = dir.filePath("velkorn.INF");
    writeFile(file, "[update]\n");
    ASSERT_TRUE(MinisignTool::sign(VELKORN_SOURCE_DIR "/tests/keys/demo-secret-key-NOT-FOR-RELEASE.key", file, "demo"));
    EXPECT_TRUE(update::verifyMinisignFile(file, update::trustedKeys()).ok());
}

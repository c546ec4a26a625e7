#include "base/PathRules.h"

#include <gtest/gtest.h>

// The helper refuses every target outside the application directory; these are the ways out that look like ways in.
TEST(PathRules, InsideDirectoryOnlyBelowIt)
{
    const QString app = QStringLiteral("/opt/velkorn");
    EXPECT_TRUE(base::isInsideDirectory(app, "/opt/velkorn"));
    EXPECT_TRUE(base::isInsideDirectory(app, "/opt/velkorn/"));
    EXPECT_TRUE(base::isInsideDirectory(app, "/opt/velkorn/images/a.jpg"));
    EXPECT_TRUE(base::isInsideDirectory(app, "/opt/velkorn/x/../y"));
    EXPECT_FALSE(base::isInsideDirectory(app, "/opt/velkorn2/a"));
    EXPECT_FALSE(base::isInsideDirectory(app, "/opt/velkorn/../etc/passwd"));
    EXPECT_FALSE(base::isInsideDirectory(app, "/opt/velkorn/images/../../x"));
    EXPECT_FALSE(base::isInsideDirectory(app, "/opt"));
}

TEST(PathRules, NamesAndSeparators)
{
    EXPECT_EQ(base::fileNameFromUrl("http://host/dir/sub\\file.zip"), "file.zip");
    EXPECT_EQ(base::fileNameFromUrl("http://host/dir/"), "");
    EXPECT_EQ(base::toLocalPath("{APP}\\sub\\a.dat"), "{APP}/sub/a.dat");
    EXPECT_EQ(base::macroDirectory("/opt/app/"), "/opt/app");
    EXPECT_EQ(base::macroDirectory("/"), "/.");
    EXPECT_EQ(base::macroDirectory("C:\\"), "C:\\.");
}

// Both servers may be given with https; a bare host keeps meaning http.
TEST(PathRules, ServerAddressesKeepTheirScheme)
{
    EXPECT_EQ(base::serverUrl("update.example", "/velkorn.INF"), "http://update.example/velkorn.INF");
    EXPECT_EQ(base::serverUrl("127.0.0.1:8080", "/a"), "http://127.0.0.1:8080/a");
    EXPECT_EQ(base::serverUrl("https://update.example:8443/", "/velkorn.INF"),
              "https://update.example:8443/velkorn.INF");
    EXPECT_EQ(base::serverUrl("HTTP://h", "/a"), "HTTP://h/a");
}

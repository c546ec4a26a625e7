#include "app/VelkornApplication.h"

#include <gtest/gtest.h>

using app::VelkornApplication;

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "C.UTF-8");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test may reach a real server: the feed thread is replaced in every test that starts the window.
    qputenv("VELKORN_CATALOG_HOST", "127.0.0.1:9");
    VelkornApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

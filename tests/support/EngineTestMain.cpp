// The main of a test program that opens catalogs itself beside the programs it starts: its database engine is set up
// as theirs is (one catalog file shared between processes, the engine's locale) before the first test.
#include "platform/EngineConfiguration.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The SQL driver is found through the application object.
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

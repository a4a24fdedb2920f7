#include <QCoreApplication>
#include <gtest/gtest.h>

// Queued signals and processEvents() need an application object on the main thread.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

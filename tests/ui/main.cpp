// The interface tests share one QApplication and, as the program's start-up does, register the
// archivable classes once on the main thread.
#include <gtest/gtest.h>

#include <QApplication>

#include "twitter_api/archivableclasses.h"

int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    // Headless unless told otherwise, also when the test list is read at build time.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    twitter_api::RegisterArchivableClasses();
    return RUN_ALL_TESTS();
}

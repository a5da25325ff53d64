#include "e2e/e2e_harness.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    ziq::e2e::reportProgramsOnFailure();
    return RUN_ALL_TESTS();
}

// The windows' tests run offscreen with one application object for all of them; Apply
// journals into a private folder.
#include "PrivateStateHome.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const PrivateStateHome stateHome;
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C.UTF-8");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include <QGuiApplication>
#include <gtest/gtest.h>

// The plot of a run without windows needs fonts, and so an application; no display is needed.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include <QApplication>
#include <gtest/gtest.h>

// The platform must be chosen before the application exists, also when tests are only listed.
int main(int argc, char* argv[]) {
    // Only the tests of what an X window manager is asked for need a display, and ask for it.
    if (qgetenv("QT_QPA_PLATFORM") != "xcb") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kordel (com)"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

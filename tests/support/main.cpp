#include <QTemporaryDir>
#include <gtest/gtest.h>

// Tests of windows get the widgets' application, the others the drawing one.
#ifdef KORDEL_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

// Fonts need an application, and the platform is chosen before it exists, also when tests are
// only listed: offscreen, unless X is asked for (the tests of what an X window manager is asked
// for need a display, and ask for it).
int main(int argc, char* argv[]) {
    if (qgetenv("QT_QPA_PLATFORM") != "xcb") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TestApplication application(argc, argv);
    // The runs' journals go to a folder of this process's own.
    const QTemporaryDir journals;
    qputenv("XDG_STATE_HOME", journals.path().toLocal8Bit());
#ifdef KORDEL_TEST_WIDGETS
    TestApplication::setApplicationName(QStringLiteral("Kordel (com)"));
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

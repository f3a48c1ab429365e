// Writes a picture of the main window after a demo run, for the README and the software centre.
// Usage: kordel_make_screenshot FILE.png; run it on the offscreen platform.

#include "acquisition/Clock.h"
#include "acquisition/Udata1.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "ui/ErrorBox.h"
#include "ui/MainWindows.h"

#include <QApplication>
#include <exception>
#include <iostream>

namespace {

// One whole period of the demo converters' 3:2 figure and the point that closes it, with a pause
// that gives the time axis readable labels.
const QString SampleCount = QStringLiteral("151");
const QString Pause = QStringLiteral("10");

} // namespace

int main(int argc, char* argv[]) {
    using namespace kordel;
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        std::cerr << "usage: kordel_make_screenshot FILE.png\n";
        return 2;
    }

    DemoBus bus;
    const PortBusScope useDemo(bus);
    SharedState state;
    Clock clock;
    MainWindows windows(state, true, clock);
    TForm1& Form1 = windows.Form1;
    Form1.show();

    Form1.Edit1->setText(SampleCount);
    Form1.Edit2->setText(Pause);
    try {
        Form1.Cl1(); // unguarded, so that a failed run ends here instead of in an error box
    } catch (const std::exception& error) {
        std::cerr << "kordel_make_screenshot: the demo run failed: " << error.what() << '\n';
        return 1;
    }
    if (!Form1.grab().save(arguments[1], "PNG")) {
        std::cerr << "kordel_make_screenshot: cannot write " << arguments[1].toStdString() << '\n';
        return 1;
    }
    return 0;
}

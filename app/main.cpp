#include "acquisition/Udata1.h"
#include "acquisition/vv55rWin.h"
#include "app/CommandLine.h"
#include "app/HeadlessRun.h"
#include "app/LineCheck.h"
#include "app/PortsFile.h"
#include "app/WindowSignals.h"
#include "journal/JournalFile.h"
#include "ui/ErrorBox.h"
#include "ui/MainWindows.h"
#include "ui/RecoveryOffer.h"

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <memory>

int main(int argc, char* argv[]) {
    using namespace kordel;
    const CommandLine line =
        parseCommandLine(std::vector<std::string>(argv + 1, argv + argc),
                         portsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    if (const auto status = answerWithoutWindows(line, std::cout, std::cerr)) {
        return *status;
    }
    if (line.action == CommandLine::Action::Check) {
        const std::unique_ptr<PortBus> bus = makePortBus(line);
        Clock clock;
        std::cout << portsOriginText(line);
        const std::optional<DriverComparison> comparison = driverComparison(line, *bus);
        return checkLines(line.com1, line.com2,
                          {*bus, clock, std::cout, std::cerr, comparison ? &*comparison : nullptr});
    }

    if (line.action == CommandLine::Action::Recover) {
        return runWithoutWindow(argc, argv, line);
    }
    const std::unique_ptr<PortBus> bus = makePortBus(line);
    const PortBusScope useBus(*bus);
    if (line.action == CommandLine::Action::Measure) {
        return runWithoutWindow(argc, argv, line);
    }

    QApplication application(argc, argv);
    // The name, not the display name: Qt would append a display name to every window's caption.
    QApplication::setApplicationName(ApplicationTitle);
    // Lets a Wayland shell tie the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kordel.Kordel"));

    SharedState state;
    Clock clock;
    MainWindows windows(state, line.bus == BusKind::Demo, clock);
    TForm1& Form1 = windows.Form1;
    endOnStopSignals(Form1, installStopSignals());
    JournalFile journal(journalDirectory(), std::string(busChoice(line.bus).name));
    Form1.setJournal(journal);
    Form1.show();
    QTimer::singleShot(0, &Form1, [&Form1] { offerInterruptedRun(Form1, journalDirectory()); });
    return application.exec();
}

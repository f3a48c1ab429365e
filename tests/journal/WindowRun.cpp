// The main window as the program makes it, on the demo bus, pressing Start with the N and the
// pause given as arguments, for a test that kills it. A newline goes to standard output for
// each pair read, at most a millisecond after its readings.
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "journal/JournalFile.h"
#include "ui/MainWindows.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <string>
#include <unistd.h>

namespace {

using namespace kordel;

// The demo bus, counting the readings of channel 2, each of which completes a pair.
class PairCountingBus : public PortBus {
public:
    void attach(std::uint16_t base) override { demo_.attach(base); }
    std::uint8_t in(std::uint16_t address) override { return demo_.in(address); }
    void out(std::uint16_t address, std::uint8_t value) override { demo_.out(address, value); }
    PortDescription describe(std::uint16_t base) const override { return demo_.describe(base); }

    void transfer(std::span<RegisterAccess> accesses) override {
        demo_.transfer(accesses);
        if (accesses.front().address == 0x2F8 + ModemControl) {
            ++unreported_;
            const auto now = std::chrono::steady_clock::now();
            if (now - reported_ >= std::chrono::milliseconds(1)) {
                report(now);
            }
        }
    }

private:
    void report(std::chrono::steady_clock::time_point now) {
        const std::string lines(unreported_, '\n');
        if (::write(STDOUT_FILENO, lines.data(), lines.size()) > 0) {
            unreported_ = 0;
            reported_ = now;
        }
    }

    DemoBus demo_;
    std::size_t unreported_ = 0;
    std::chrono::steady_clock::time_point reported_;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        return 2;
    }
    PairCountingBus bus;
    const PortBusScope useBus(bus);
    SharedState state;
    Clock clock;
    MainWindows windows(state, true, clock);
    TForm1& Form1 = windows.Form1;
    JournalFile journal(journalDirectory(), "--demo");
    Form1.setJournal(journal);
    Form1.show();
    Form1.Edit1->setText(argv[1]);
    Form1.Edit2->setText(argv[2]);
    QTimer::singleShot(0, Form1.SpeedButton1, &QToolButton::click);
    return application.exec();
}

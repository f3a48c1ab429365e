#include "ui/RecoveryOffer.h"

#include "common/Error.h"
#include "journal/JournalFile.h"
#include "journal/Recovery.h"
#include "ui/ErrorBox.h"
#include "ui/Unit1.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>
#include <unistd.h>

namespace kordel {

namespace {

QString offerText(const JournalContent& journal) {
    const QDateTime started = QDateTime::fromMSecsSinceEpoch(journal.header.startedMs);
    return QStringLiteral("Измерение, начатое %1 в %2, не было сохранено: %3.\nВосстановить его?")
        .arg(started.toString(QStringLiteral("dd.MM.yyyy")),
             started.toString(QStringLiteral("HH:mm:ss")),
             QString::fromStdString(pairsText(journal.pairs())));
}

} // namespace

std::string pairsText(std::size_t pairs) {
    const std::size_t last = pairs % 10;
    const std::size_t lastTwo = pairs % 100;
    const char* word = last == 1 && lastTwo != 11                                 ? "пара"
                       : last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? "пары"
                                                                                  : "пар";
    return std::to_string(pairs) + " " + word;
}

void offerInterruptedRun(TForm1& form, const std::string& directory) {
    JournalFile* own = form.journal();
    const std::optional<std::string> path = interruptedJournal(directory);
    if (own == nullptr || !path) {
        return;
    }
    JournalContent journal;
    try {
        journal = readJournal(*path);
    } catch (const Error&) {
        return; // a journal this version cannot read stays for --recover to explain
    }
    if (journal.pairs() == 0) {
        ::unlink(path->c_str()); // nothing in it to offer
        return;
    }
    QMessageBox box(QMessageBox::Question, ApplicationTitle, offerText(journal),
                    QMessageBox::NoButton, &form);
    QPushButton* restore = box.addButton(QStringLiteral("Восстановить"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Не сейчас"), QMessageBox::RejectRole);
    QPushButton* drop = box.addButton(QStringLiteral("Удалить"), QMessageBox::DestructiveRole);
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == restore) {
        own->adopt(*path);
        guarded(&form, [&] { form.showRecoveredRun(journal); });
    } else if (box.clickedButton() == drop) {
        ::unlink(path->c_str());
    }
}

} // namespace kordel

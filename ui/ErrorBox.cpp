#include "ui/ErrorBox.h"

#include "common/Error.h"
#include "ui/ShownName.h"

#include <QMessageBox>

namespace kordel {

void showErrorBox(QWidget* parent, const std::string& message) {
    const std::string text = errorBoxText(message);
    // A path in the message is shown as the file lists show it.
    QMessageBox box(QMessageBox::Critical, ApplicationTitle, shownName(text), QMessageBox::Ok,
                    parent);
    // The message may quote the user's text, which is shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void showErrorOf(QWidget* parent, const std::exception_ptr& error) {
    showErrorBox(parent, messageOf(error));
}

} // namespace kordel

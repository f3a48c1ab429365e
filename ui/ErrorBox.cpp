#include "ErrorBox.h"

#include "common/Error.h"
#include "ui/ShownName.h"

#include <QMessageBox>
#include <new>

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
    try {
        std::rethrow_exception(error);
    } catch (const Error& failure) {
        showErrorBox(parent, failure.message());
    } catch (const std::bad_alloc&) {
        showErrorBox(parent, "Out of memory");
    } catch (const std::exception& failure) {
        showErrorBox(parent, failure.what());
    }
}

} // namespace kordel

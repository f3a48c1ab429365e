#include "app/WindowSignals.h"

#include <QSocketNotifier>
#include <unistd.h>

namespace kordel {

void endOnStopSignals(TForm1& form, StopRequest& request) {
    const int descriptor = stopSignalDescriptor();
    if (descriptor < 0) {
        return;
    }
    auto* signalled = new QSocketNotifier(descriptor, QSocketNotifier::Read, &form);
    QObject::connect(signalled, &QSocketNotifier::activated, &form, [&form, &request, descriptor] {
        char bytes[16];
        while (read(descriptor, bytes, sizeof bytes) > 0) {
        }
        form.endOnSignal(request.exitStatus());
    });
}

} // namespace kordel

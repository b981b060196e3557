#pragma once

#include <QMetaObject>
#include <QPointer>

#include <utility>

// Runs `call(service)` on the service's thread, later, and only while the service
// still exists: port workers report to their main-thread service this way.
template <typename Service, typename Call>
void postQueuedReport(const QPointer<Service> &service, Call call)
{
    if (!service)
        return;
    QMetaObject::invokeMethod(
        service.data(),
        [service, call = std::move(call)] {
            if (service)
                call(service.data());
        },
        Qt::QueuedConnection);
}

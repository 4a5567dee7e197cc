#pragma once
// Work that may block (the service manager, the disk, the file system) runs
// on a worker; its result comes back to the window's thread, and is dropped
// when its owner has gone meanwhile.
#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <memory>

template <typename Is, typename Sonra>
void arkada(QObject* sahip, Is is, Sonra sonra) {
    QPointer<QObject> ben(sahip);
    QThreadPool::globalInstance()->start([ben, is = std::move(is), sonra = std::move(sonra)]() mutable {
        auto sonuc = std::make_shared<decltype(is())>(is());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [ben, sonuc, sonra = std::move(sonra)] { if (ben) sonra(*sonuc); },
            Qt::QueuedConnection);
    });
}

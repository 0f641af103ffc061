#include "base/ServiceCalls.h"

#include <QPointer>
#include <QThread>
#include <QWidget>
#include <algorithm>

ServiceCalls::ServiceCalls(QWidget* owner) : mOwner(owner) {}

ServiceCalls::~ServiceCalls() {
    for (QThread* thread : mThreads) {
        disconnect(thread, nullptr, this, nullptr);
        thread->wait();
        delete thread;
    }
}

void ServiceCalls::Launch(QObject* context, std::function<void()> work,
                          std::function<void()> apply) {
    QThread* thread = QThread::create(std::move(work));
    mThreads.push_back(thread);
    // finished is emitted on the worker thread; the receiver lives on the interface thread, so the
    // hand-back is queued there.
    connect(thread, &QThread::finished, this,
            [this, thread, context = QPointer<QObject>(context), apply = std::move(apply)] {
                thread->wait();
                std::erase(mThreads, thread);
                delete thread;
                if (context) {
                    RunGuarded(mOwner, apply);
                }
            });
    thread->start();
}

bool ServiceCalls::WaitForAll(QDeadlineTimer deadline) {
    bool allEnded = true;
    for (QThread* thread : mThreads) {
        allEnded = thread->wait(deadline) && allEnded;
    }
    return allEnded;
}

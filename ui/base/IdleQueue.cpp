#include "base/IdleQueue.h"

#include <QWidget>

#include "base/Guard.h"

IdleQueue::IdleQueue(QWidget* owner) : QObject(owner), mOwner(owner) {}

void IdleQueue::Add(std::function<void()> task) {
    mTasks.push_back(std::move(task));
    if (!mTurnAsked) {
        mTurnAsked = true;
        // Posted: it runs once the events already waiting have been handled.
        QMetaObject::invokeMethod(this, &IdleQueue::RunNext, Qt::QueuedConnection);
    }
}

void IdleQueue::RunNext() {
    mTurnAsked = false;
    if (mTasks.empty()) {
        return;
    }
    const std::function<void()> task = std::move(mTasks.front());
    mTasks.pop_front();
    RunGuarded(mOwner, task);
    // Asked after the task, so that the painting it caused comes before the next one.
    if (!mTasks.empty() && !mTurnAsked) {
        mTurnAsked = true;
        QMetaObject::invokeMethod(this, &IdleQueue::RunNext, Qt::QueuedConnection);
    }
}

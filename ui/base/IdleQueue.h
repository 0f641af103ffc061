#pragma once

#include <QObject>
#include <deque>
#include <functional>

class QWidget;

// Work that waits until the interface has nothing more urgent to do: each task runs on a turn of
// the event loop of its own, after the input and painting that came before it. A task that fails
// is reported as a failing handler is, in the owner's error window.
class IdleQueue : public QObject {
  public:
    explicit IdleQueue(QWidget* owner);

    void Add(std::function<void()> task);

  private:
    void RunNext();

    QWidget* mOwner;
    std::deque<std::function<void()>> mTasks;
    bool mTurnAsked = false;
};

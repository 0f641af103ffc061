#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Guard.h"
#include "base/RequestFailure.h"

class QThread;
class QWidget;

// How a request made off the interface thread ended: its value, or what it threw.
template <typename T>
struct CallOutcome {
    std::optional<T> value;
    SFailure failure;  // its message empty when value is set
};

// The service requests a window makes off the interface thread (choice lists, post, favourites).
// Each runs on a thread of its own that only sees what it was given; when it ends, its outcome is
// applied on the interface thread through the handler boundary of the owner window, in the order
// the threads end. Destroying the calls waits for the threads still running and applies nothing,
// so an outcome never reaches a window that is gone.
class ServiceCalls : public QObject {
  public:
    explicit ServiceCalls(QWidget* owner);
    ~ServiceCalls() override;
    ServiceCalls(const ServiceCalls&) = delete;
    ServiceCalls& operator=(const ServiceCalls&) = delete;

    // Runs work on a new thread and hands its outcome to apply on the interface thread. apply
    // runs only while context (a window on the interface thread) still exists.
    template <typename T>
    void Start(QObject* context, std::function<T()> work,
               std::function<void(CallOutcome<T>)> apply) {
        auto outcome = std::make_shared<CallOutcome<T>>();
        Launch(
            context,
            [work = std::move(work), outcome] {
                try {
                    outcome->value = work();
                } catch (...) {
                    outcome->failure = CurrentFailure();
                }
            },
            [apply = std::move(apply), outcome] { apply(std::move(*outcome)); });
    }

    // The window whose handler boundary the outcomes are applied through.
    QWidget* Owner() const { return mOwner; }
    // True while a thread started here has not been seen ending.
    bool Pending() const { return !mThreads.empty(); }
    // Waits until every thread has ended or the deadline has passed; true when none still runs.
    bool WaitForAll(QDeadlineTimer deadline);

  private:
    void Launch(QObject* context, std::function<void()> work, std::function<void()> apply);

    QWidget* mOwner;
    std::vector<QThread*> mThreads;
};

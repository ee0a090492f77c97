// The run's Cancel: a manual-reset event the UI thread sets once the user has
// confirmed aborting. Every wait of the run waits on it too, and every loop
// that could take long looks at it, so the run ends by its own code.
#pragma once

#include <windows.h>

#include <atomic>

#include "base/win32/scoped_handle.h"

namespace tarnwick {

class CancelEvent {
  public:
    CancelEvent() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    void Set() const {
        if (!event_.IsValid()) return;
        set_.store(true, std::memory_order_release);
        ::SetEvent(event_.Get());
    }
    // Asked of a flag set with the event, not of the event: the extraction
    // and the drive scan ask thousands of times, and under Wine each
    // question to the kernel is a round trip to its server.
    bool IsSet() const { return set_.load(std::memory_order_acquire); }
    // For WaitForMultipleObjects; null when the event could not be made, and
    // then the run simply cannot be cancelled.
    HANDLE Handle() const { return event_.Get(); }

  private:
    ScopedKernelHandle event_;
    mutable std::atomic<bool> set_{false};
};

// A cancel that may be absent (tests, tools): absent is never set.
inline bool IsCancelled(const CancelEvent* cancel) { return cancel != nullptr && cancel->IsSet(); }

}  // namespace tarnwick

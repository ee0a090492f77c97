// The run's Cancel: a manual-reset event the UI thread sets once the user has
// confirmed aborting. Every wait of the run waits on it too, and every loop
// that could take long looks at it, so the run ends by its own code.
#pragma once

#include <windows.h>

#include "base/win32/scoped_handle.h"

namespace tarnwick {

class CancelEvent {
  public:
    CancelEvent() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    void Set() const {
        if (event_.IsValid()) ::SetEvent(event_.Get());
    }
    bool IsSet() const {
        return event_.IsValid() && ::WaitForSingleObject(event_.Get(), 0) == WAIT_OBJECT_0;
    }
    // For WaitForMultipleObjects; null when the event could not be made, and
    // then the run simply cannot be cancelled.
    HANDLE Handle() const { return event_.Get(); }

  private:
    ScopedKernelHandle event_;
};

// A cancel that may be absent (tests, tools): absent is never set.
inline bool IsCancelled(const CancelEvent* cancel) { return cancel != nullptr && cancel->IsSet(); }

}  // namespace tarnwick

#pragma once
// Every window handler runs inside a guard: an error that escapes it goes to the application's
// error handling and the event loop goes on.

#include <exception>

namespace zelk {

// Hands an escaped error to the application object, or writes it to standard error when there
// is none.
void HandleError(std::exception_ptr error);

// Runs the handler; an error escaping it goes to HandleError.
template <typename Handler>
void Guarded(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        HandleError(std::current_exception());
    }
}

// For errors met inside a paint: reported once control is back in the event loop, so that no
// message box runs a loop of its own inside the paint.
void HandleErrorLater(std::exception_ptr error);

}  // namespace zelk

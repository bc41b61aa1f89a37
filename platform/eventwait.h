// The one way code waits without blocking the window: a nested event loop that ends after a time.
#pragma once

namespace vexal {

// Runs the event loop for `ms` milliseconds, handling window, socket and timer events meanwhile.
// Handlers that wait for an animation or a pause call this; it never re-enters the dispatcher by
// itself, since the scheduler tick that called the handler is not running again until it returns.
void waitProcessingEvents(int ms);

}  // namespace vexal

#pragma once
// Service control work that waits (a start, a stop, a removal), kept off the window's thread:
// either the thread goes on dispatching its messages until the work is done (the Service
// page's apply, whose steps follow one another), or the work reports its end with a posted
// message (the service mode supervision).
#include <windows.h>

#include <functional>

namespace vantrel {

// Runs `work` on a thread of its own while this thread dispatches its messages (windows
// paint, timers tick); returns what `work` returned. A WM_QUIT met meanwhile is posted again
// once the work is done.
bool RunWhilePumping(std::function<bool()> work);

// Runs `work` on a thread of its own and posts `message` to `window` when it ends, with
// wParam 1 or 0 for its result and lParam `tag`. Nobody waits for the thread: a window that
// is gone by then gets nothing. False (and nothing posted) when no thread could be made.
bool RunInBackground(std::function<bool()> work, HWND window, UINT message, LPARAM tag);

}  // namespace vantrel

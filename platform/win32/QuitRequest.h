#pragma once
// The quit request of the calling thread's message loop (PostQuitMessage).

namespace win32 {

// Asks the calling thread's event loop to end with `exitCode`. The request waits in the thread's
// queue like any posted message: a loop that is running ends when it reaches it, a loop started
// later ends at once. A thread without an event queue (no application object yet) has nothing to
// ask, and the call does nothing.
void PostQuitMessage(int exitCode);

}  // namespace win32

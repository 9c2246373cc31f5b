// Waits for the thread that installed the hooks. The system calls into that thread
// (low-level hooks; on 64-bit Windows every hook of the other bitness) while the
// program that took the message or keystroke waits, so it never blocks without
// taking sent messages.
#pragma once

#include <windows.h>
#include <functional>

namespace tarvikctl {

// Waits until one of `handles` is signalled or `timeoutMs` passed, meanwhile handing
// every message sent to this thread (and every hook call) to its receiver. Posted
// messages stay queued in their order. Returns as WaitForMultipleObjects (any one):
// WAIT_OBJECT_0 + i, WAIT_ABANDONED_0 + i, WAIT_TIMEOUT or WAIT_FAILED.
DWORD waitTakingSentMessages(const HANDLE* handles, DWORD count, DWORD timeoutMs);

// Runs `work`, a call that may block (CreateProcess, for one), on a thread of its own
// while this one takes sent messages; here if no thread can be made.
void runTakingSentMessages(const std::function<void()>& work);

} // namespace tarvikctl

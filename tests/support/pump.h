// Bounded message pumps for tests: dispatch what arrives for a while, or until a
// condition holds, waiting in MsgWaitForMultipleObjects rather than sleeping.
#pragma once

#include <windows.h>
#include <functional>

namespace tarvik::test {

// Dispatches every message already queued for this thread.
void pumpPending();

// Dispatches messages for `ms` milliseconds.
void pumpFor(DWORD ms);

// Dispatches messages until `done` returns true (checked after each batch and at
// least every kPollSliceMs, since the condition may depend on other threads or
// processes) or `timeoutMs` passes. Returns the last value of `done`.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Dispatches messages until `handle` is signalled or `timeoutMs` passes.
bool pumpUntilSignalled(HANDLE handle, DWORD timeoutMs);

// How often pumpUntil looks at its condition when no message arrives.
constexpr DWORD kPollSliceMs = 10;

} // namespace tarvik::test

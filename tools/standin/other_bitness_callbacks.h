// The stand-in's model of a hook of the other bitness on 64-bit Windows: the
// system runs it on the thread that installed it, as a synchronous call from the
// thread that took the message, which waits for it. Wine never makes that call.
#pragma once

#include <windows.h>

namespace standin {

// Command-line option of the stand-in shell that turns the model on for its threads.
constexpr const char* kOtherBitnessCallbacksOption = "--other-bitness-callbacks";

// From now on, before a frame of the calling thread sees a sent message, the thread
// makes a synchronous call to the hooks' thread of a running controller of the other
// bitness, if there is one, and waits for it. False if the hook could not be set.
bool attachOtherBitnessCallbacks();

} // namespace standin

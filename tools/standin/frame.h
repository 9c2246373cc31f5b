// Building and tearing down stand-in frames on the calling thread. The thread owns
// the windows and must pump messages for them.
#pragma once

#include <windows.h>
#include "frame_options.h"

namespace standin {

// Window class of the frame for each FrameClass.
const char* frameClassName(FrameClass frameClass);

// Builds a frame as the options say; handles.frame is null on failure.
FrameHandles createFrame(const FrameOptions& options = FrameOptions{});

// The handles a frame of this process was built with; false for any other window.
bool findFrame(HWND frame, FrameHandles* handles);

// DestroyWindow on the frame (call on the frame's thread). Its image lists stay
// alive: the hook library may still hold them, as it holds Explorer's shared lists.
bool destroyFrame(HWND frame);

// Lays the frame out again (after a test changed a rebar by hand, for instance).
void relayoutFrame(HWND frame);

} // namespace standin

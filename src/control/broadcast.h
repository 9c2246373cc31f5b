// Carrying the controller's requests to the frames: the broadcast procedure
// and the guarded send it uses.
#pragma once

#include <windows.h>
#include "state/identifiers.h"

// The EnumWindows procedure: sends the private messages a flag word asks for
// to one window if it is a frame. TRUE for BC_MANUAL words, FALSE for BC_AUTO.
BOOL CALLBACK broadcastToFrame(HWND window, LPARAM flags);

// EnumWindows(broadcastToFrame, word); the EnumWindows result.
int broadcastToAllFrames(LPARAM word);

// Sends a message and waits for it to be handled, giving up on a window whose
// thread does not answer. False when the window is gone or did not answer.
bool sendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr,
                 UINT timeoutMs = kFrameAnswerTimeoutMs);

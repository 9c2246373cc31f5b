// The six hook procedures, installed for every thread of the desktop.
#pragma once

#include <windows.h>

LRESULT CALLBACK callWndProcHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK callWndRetProcHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK getMessageHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK mouseHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK keyboardHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK lowLevelKeyboardHook(int code, WPARAM wParam, LPARAM lParam);

// Window classes of the stand-in frame and their procedures: the frame, "WorkerW"
// (container, logo or stray), "CommandBarClass", the browser page and the hidden
// notification sink. Internal to the stand-in library.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "frame_options.h"

namespace standin::detail {

constexpr wchar_t kWorkerClass[] = L"WorkerW";
constexpr wchar_t kCommandBarClass[] = L"CommandBarClass";
constexpr wchar_t kPageClass[] = L"Internet Explorer_Server";
constexpr wchar_t kSinkClass[] = L"TarvikStandinSink";

// What a "WorkerW" window is for, kept in its GWLP_USERDATA.
enum class WorkerRole : LONG_PTR { Container = 1, Logo = 2, Stray = 3 };

struct CustomizeEntry {
    TBBUTTON button;
    std::string label;
};

struct FrameState {
    FrameOptions options;
    FrameHandles handles;
    bool building = true; // no layout while bands go in; one layout at the end
    bool inLayout = false;
    bool layoutAgain = false;
    std::vector<CustomizeEntry> customizePool; // buttons the Customize dialog offers
};

// Registers every class above plus the three frame classes (once per process).
void registerWindowClasses();

FrameState* frameStateOf(HWND frame);

HWND createWorker(HWND parent, WorkerRole role, DWORD style, int width, int height);
HWND createSink(FrameState* state);
HWND createCommandBar(HWND frame);
HWND createPage(HWND frame);

void layoutFrame(HWND frame);

} // namespace standin::detail

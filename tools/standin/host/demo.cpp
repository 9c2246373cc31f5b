// The demo scene: an Explorer frame, an Internet Explorer frame and the taskbar,
// laid out so that all three can be seen at once.
#include "host.h"

#include <cstring>
#include "standin/frame.h"
#include "standin/taskbar.h"

namespace standin::host {

// Positions fit the 1280x1024 screen the tests and demos use, above the taskbar.
bool startDemo(Host& host) {
    if (host.threads.empty() && host.startThread() < 0) return false;
    FrameOptions explorer;
    explorer.x = 16;
    explorer.y = 16;
    explorer.width = 720;
    explorer.height = 460;
    FrameOptions browser;
    browser.frameClass = FrameClass::Browser;
    browser.large = false;
    browser.x = 360;
    browser.y = 380;
    browser.width = 880;
    browser.height = 560;
    std::strcpy(browser.buttons, "D D S B B B S B P P S W");

    auto frames = std::make_shared<std::vector<HWND>>();
    Status status = host.onThread(0, [frames, explorer, browser] {
        frames->push_back(createFrame(explorer).frame);
        frames->push_back(createFrame(browser).frame);
        createTaskbar(true);
    });
    if (status != Status::Ok) return false;
    for (HWND frame : *frames)
        if (frame == nullptr) return false;
    host.demoFrames = *frames;
    return true;
}

} // namespace standin::host

// Injected input.
#include "real_input.h"

namespace hooktest {

namespace {

bool send(INPUT input) {
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

INPUT mouseInput(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

INPUT keyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

bool middleClick() {
    return send(mouseInput(MOUSEEVENTF_MIDDLEDOWN)) && send(mouseInput(MOUSEEVENTF_MIDDLEUP));
}

bool keyDown(WORD virtualKey) {
    return send(keyInput(virtualKey, false));
}

bool keyUp(WORD virtualKey) {
    return send(keyInput(virtualKey, true));
}

} // namespace hooktest

// soak_controller.exe: the soak's controller. Loads the library from its own folder,
// installs the hooks with a window of its own and runs the driver's commands
// (soak_protocol.h) on that thread, which keeps taking messages. It leaves, with the
// hooks, when the driver's process ends; the driver may also kill it.
//   soak_controller --ready EVENT --parent PID
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <string>

#include "library.h"
#include "soak_protocol.h"

namespace {

tarvikctl::Library library;
bool quitting = false;

HICON handle(std::uint64_t value) {
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(value));
}

// The tables must outlive every broadcast that uses them: the library keeps the handles.
soak::IconsCommand icons;
HICON tables[4][soak::kSlots];

void setIcons(const soak::IconsCommand& command) {
    icons = command;
    const std::uint64_t* from[4] = {icons.large, icons.largeHot, icons.small, icons.smallHot};
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < soak::kSlots; ++i)
            tables[t][i] = handle(from[t][i]);
    library.setIcons(tables[0], tables[1], soak::kSlots, icons.largeSize);
    library.setSmallIcons(tables[2], tables[3], soak::kSlots, icons.smallSize);
}

void showHideAll(int hide) {
    library.showHideAllLogo(hide, hide);
    library.showHideAllMenu(hide, hide);
    library.showHideAllHeader(hide, hide);
    library.showHideAllDropdownArrow(hide, hide);
}

void restoreAll() {
    library.restoreAllDropdownArrow();
    library.restoreAllHeader();
    library.restoreAllMenu();
    library.restoreAllLogo();
    library.restoreAllToolbar();
}

LRESULT run(HWND window, const COPYDATASTRUCT& data) {
    switch (static_cast<soak::Command>(data.dwData)) {
    case soak::Command::SetIcons:
        if (data.cbData != sizeof(soak::IconsCommand)) return 0;
        setIcons(*static_cast<const soak::IconsCommand*>(data.lpData));
        return 1;
    case soak::Command::Apply: library.changeAllToolbar(); return 1;
    case soak::Command::HideAll: showHideAll(1); return 1;
    case soak::Command::ShowAll: showHideAll(0); return 1;
    case soak::Command::RestoreAll: restoreAll(); return 1;
    case soak::Command::Quit: quitting = true; return 1;
    case soak::Command::Census: {
        if (data.cbData != sizeof(soak::CensusCommand)) return 0;
        soak::CensusCommand command;
        std::memcpy(&command, data.lpData, sizeof command);
        tarvik::test::GuiCensus census = tarvik::test::takeGuiCensus();
        COPYDATASTRUCT answer{soak::kCensusReply, sizeof census, &census};
        const HWND replyTo = reinterpret_cast<HWND>(static_cast<UINT_PTR>(command.replyTo));
        return SendMessageA(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                            reinterpret_cast<LPARAM>(&answer));
    }
    }
    return 0;
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) return run(window, *reinterpret_cast<COPYDATASTRUCT*>(lParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string argument(int count, char** values, const char* name) {
    for (int i = 1; i + 1 < count; ++i)
        if (std::strcmp(values[i], name) == 0) return values[i + 1];
    return "";
}

} // namespace

int main(int count, char** values) {
    const std::string readyName = argument(count, values, "--ready");
    const std::string parentId = argument(count, values, "--parent");
    HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(parentId.c_str(), nullptr, 10));
    if (parent == nullptr) return 2;
    if (!library.load(tarvikctl::programFolder() + tarvikctl::kLibraryFileName).empty()) return 3;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = soak::kControllerClass;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, soak::kControllerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 4;
    library.installHook(library.module(), window);
    if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName.c_str())) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    while (!quitting) {
        if (MsgWaitForMultipleObjects(1, &parent, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    library.uninstallHook();
    return 0;
}

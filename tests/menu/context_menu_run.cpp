// A real context-menu loop on the test's thread.
#include "context_menu_run.h"

#include "menu_readback.h"
#include "pump.h"
#include "recorder.h"

namespace menu_test {

namespace {

constexpr DWORD kCommandWaitMs = 1000;

bool timerEnded = false;

void CALLBACK endMenuTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    timerEnded = true;
    EndMenu();
}

} // namespace

std::vector<MenuKey> keysUp(int times) {
    return std::vector<MenuKey>(times, MenuKey{WM_KEYDOWN, VK_UP});
}
MenuKey keyRight() {
    return {WM_KEYDOWN, VK_RIGHT};
}
MenuKey keyDown() {
    return {WM_KEYDOWN, VK_DOWN};
}
MenuKey keyEnter() {
    return {WM_CHAR, '\r'};
}
MenuKey keyEscape() {
    return {WM_KEYDOWN, VK_ESCAPE};
}

ContextMenuRun runContextMenu(HWND worker, POINT at, const std::vector<MenuKey>& keys,
                              UINT deadlineMs) {
    ContextMenuRun run;
    tarvik::test::RecorderConfig config;
    config.recordOnly(WM_INITMENUPOPUP).recordOnly(WM_COMMAND);
    tarvik::test::MessageRecorder recorder(config);
    recorder.attach(worker);
    recorder.before(worker, WM_INITMENUPOPUP, [&run](const tarvik::test::MessageRecord& record) {
        run.opened.push_back(describeMenu(reinterpret_cast<HMENU>(record.wParam)));
    });
    tarvik::test::pumpPending();
    for (const MenuKey& key : keys)
        PostMessageA(worker, key.message, key.code, 0);
    timerEnded = false;
    const UINT_PTR deadline = SetTimer(nullptr, 0, deadlineMs, endMenuTimer);
    SendMessageA(worker, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(worker), MAKELPARAM(at.x, at.y));
    KillTimer(nullptr, deadline);
    run.endedByTimer = timerEnded;
    // A chosen command is posted to the owner as the loop ends.
    tarvik::test::pumpUntil(
        [&] {
            for (const auto& record : recorder.recordsFor(worker))
                if (record.message == WM_COMMAND) return true;
            return false;
        },
        !keys.empty() && keys.back().message == WM_CHAR ? kCommandWaitMs : 0);
    for (const auto& record : recorder.recordsFor(worker))
        if (record.message == WM_COMMAND) run.commands.push_back(record.wParam);
    recorder.detachAll();
    return run;
}

} // namespace menu_test

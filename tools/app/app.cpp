// The app's session: on, off, new settings and the end, always on the thread
// that installed the hooks (the one that pumps every window of the app).
#include "app.h"
#include "resource.h"
#include "settings_sheet.h"
#include "tray.h"

#include <shellapi.h>

namespace tarvik_app {

App& app() {
    static App state;
    return state;
}

int say(HWND owner, const std::string& text, UINT flags) {
    return MessageBoxA(owner, text.c_str(), kAppTitle, flags | MB_SETFOREGROUND);
}

void applyCurrent() {
    App& a = app();
    if (a.on && a.session && a.unreadableFile.empty()) a.session->apply(a.settings, *a.icons);
    updateTrayIcon();
}

void setOn(bool on) {
    App& a = app();
    a.on = on;
    if (!on && a.session && a.session->applied()) a.session->restore();
    applyCurrent();
}

namespace {

bool sameIcons(const tarvikctl::Settings& x, const tarvikctl::Settings& y) {
    return x.iconSource == y.iconSource && x.iconFolder == y.iconFolder && x.strip == y.strip &&
           x.hotStrip == y.hotStrip && x.slotIcons == y.slotIcons && x.largeSize == y.largeSize &&
           x.smallSize == y.smallSize;
}

} // namespace

void takeSettings(const tarvikctl::Settings& settings, std::unique_ptr<tarvikctl::IconSet> icons) {
    App& a = app();
    // A change of icons starts from the native ones, so that no slot the new set
    // leaves empty keeps an icon of the old set.
    if (a.session && a.session->applied() && !sameIcons(a.settings, settings)) a.session->restore();
    a.settings = settings;
    a.unreadableFile.clear();
    // The library copies the new icons into every frame before the old ones go.
    std::unique_ptr<tarvikctl::IconSet> old = std::move(a.icons);
    a.icons = std::move(icons);
    applyCurrent();
    old.reset();
}

void shutDown() {
    App& a = app();
    closeSettingsSheet();
    if (a.session) a.session->stop();
    removeTrayIcon();
    a.icons->release();
    PostQuitMessage(0);
}

namespace {

void openEntry(int commandId) {
    const tarvikctl::MenuEntry* entry = tarvikctl::entryOf(app().settings, commandId);
    if (entry == nullptr || entry->open.empty()) return;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, nullptr, entry->open.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        say(nullptr, "The menu entry \"" + entry->caption + "\" could not open\n" + entry->open,
            MB_OK | MB_ICONWARNING);
}

} // namespace

LRESULT CALLBACK notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    App& a = app();
    if (message == MSG_POPUP_COMMAND) {
        if (wParam <= static_cast<WPARAM>(tarvikctl::kMaxCommandId))
            openEntry(static_cast<int>(wParam));
        return 0;
    }
    if (message == a.showSettingsMessage && message != 0) {
        // Not from inside this send: the sender waits for the answer.
        if (a.tray != nullptr)
            PostMessageA(a.tray, WM_COMMAND, IDM_SETTINGS, 0);
        else
            a.settingsAsked = true;
        return kShowAck;
    }
    if (message == WM_CLOSE) {
        shutDown();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace tarvik_app

// The app's session: on, off, new settings and the end, driven from the thread of the
// app's windows; the library's calls run on the hooks' thread, files are read and
// programs opened on threads of their own.
#include "app.h"
#include "background.h"
#include "resource.h"
#include "settings_sheet.h"
#include "tray.h"

#include <objbase.h>
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

std::shared_ptr<IconsRead> readIcons(const tarvikctl::Settings& settings, HWND window,
                                     UINT message) {
    static LPARAM lastTag = 0;
    auto read = std::make_shared<IconsRead>();
    read->tag = ++lastTag;
    HANDLE done = tarvikctl::runInBackground(
        [read, settings] { read->problem = tarvikctl::loadIconFiles(settings, *read->icons); },
        window, message, read->tag);
    if (done == nullptr) {
        say(nullptr, "The icon files cannot be read: no thread can be started.",
            MB_OK | MB_ICONERROR);
        return nullptr;
    }
    CloseHandle(done);
    return read;
}

void openInBackground(const std::string& target, const std::string& caption) {
    HWND window = app().window;
    HANDLE done = tarvikctl::runInBackground([target, caption, window] {
        // Shell extensions it may call want a single-threaded apartment; and no DDE of OLE 1.
        const HRESULT com =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        // Done before it returns: this thread ends then, and the app tells of failures.
        info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        info.lpFile = target.c_str();
        info.nShow = SW_SHOWNORMAL;
        const bool opened = ShellExecuteExA(&info) != FALSE;
        if (SUCCEEDED(com)) CoUninitialize();
        if (opened || caption.empty()) return;
        auto* text =
            new std::string("The menu entry \"" + caption + "\" could not open\n" + target);
        if (!PostMessageA(window, kMsgOpenFailed, 0, reinterpret_cast<LPARAM>(text))) delete text;
    });
    if (done != nullptr) CloseHandle(done);
}

namespace {

void openEntry(int commandId) {
    const tarvikctl::MenuEntry* entry = tarvikctl::entryOf(app().settings, commandId);
    if (entry == nullptr || entry->open.empty()) return;
    openInBackground(entry->open, entry->caption);
}

} // namespace

LRESULT CALLBACK appWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    App& a = app();
    if (message == MSG_POPUP_COMMAND) {
        if (wParam <= static_cast<WPARAM>(tarvikctl::kMaxCommandId))
            openEntry(static_cast<int>(wParam));
        return 0;
    }
    if (message == kMsgIconsRead) {
        iconsRead(lParam);
        return 0;
    }
    if (message == kMsgOpenFailed) {
        std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
        say(nullptr, *text, MB_OK | MB_ICONWARNING);
        return 0;
    }
    if (message == a.showSettingsMessage && message != 0) {
        // Answered by the notify window; posted on to here.
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

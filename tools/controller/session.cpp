// The library's calling order: tables before the broadcasts that use them, the
// toolbar restored last (until then the icons it shows are in use), uninstall after.
#include "session.h"
#include "text.h"

#include <vector>

namespace tarvikctl {

static_assert(kIconSlots == TARVIK_ICON_SLOTS, "icon tables as the library's");
static_assert(kMenuEntries == TARVIK_POPUP_ITEMS, "menu entries as the library's");
static_assert(kCaptionMaxBytes + 1 == TARVIK_CAPTION_BYTES, "captions as the library's");
static_assert(kReservedCommandId == CMD_TOGGLE_MENUBAR, "the library's own menu command");

HWND createNotifyWindow(WNDPROC procedure, void* data, const char* className) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    if (RegisterClassExA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    // Message-only: posted messages arrive, broadcasts and window enumerations skip it.
    HWND window = CreateWindowExA(0, className, kNotifyTitle, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    if (window != nullptr)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    return window;
}

std::string Session::install(HWND owner, std::vector<Forward> forwards, const char* notifyClass,
                             HWND commandWindow) {
    const std::string problem =
        hooks_.start(library_, notifyClass, commandWindow, owner, std::move(forwards));
    installed_ = problem.empty();
    return problem;
}

void Session::apply(const Settings& settings, const IconSet& icons) {
    if (!installed_) return;
    // Set first: a failure half way still gets the restore.
    applied_ = true;
    // Made here: the hooks' thread only calls the library.
    std::vector<int> ids;
    std::vector<const char*> texts;
    for (const MenuEntry& entry : settings.menuEntries) {
        ids.push_back(entry.id);
        texts.push_back(entry.caption.c_str());
    }
    // A menu without items still has the menu-bar item; the library wants tables.
    ids.push_back(0);
    texts.push_back("");
    hooks_.call([&] {
        // Whole tables: slots past the last icon are cleared of any earlier run's handles.
        library_.setIcons(icons.large.data(), icons.largeHot.data(), kIconSlots, icons.largeSize);
        library_.setSmallIcons(icons.small.data(), icons.smallHot.data(), kIconSlots,
                               icons.smallSize);
        if (settings.menuEnabled)
            library_.setPopupMenuItem(settings.menuTitle.c_str(), ids.data(), texts.data(),
                                      static_cast<int>(settings.menuEntries.size()),
                                      settings.toggleCaption.c_str());
        else
            library_.setPopupMenuItem(nullptr, nullptr, nullptr, 0, nullptr);
        library_.changeAllToolbar();
        const FrameOptions& e = settings.explorer;
        const FrameOptions& b = settings.browser;
        library_.showHideAllLogo(e.hideLogo, b.hideLogo);
        library_.showHideAllMenu(e.hideMenu, b.hideMenu);
        library_.showHideAllHeader(e.hideTitles, b.hideTitles);
        library_.showHideAllDropdownArrow(e.hideDropdowns, b.hideDropdowns);
    });
    // Stopped meanwhile (a sent WM_ENDSESSION, taken while waiting): no companion now.
    if (installed_ && companion_ != nullptr) companion_->apply(settings);
}

void Session::restore() {
    // The companion first: while its hooks are in, Wine ends the hook chain of this
    // bitness's threads at them, so this library's restore would not reach its frames.
    if (companion_ != nullptr) companion_->restore();
    hooks_.call([this] {
        library_.restoreAllLogo();
        library_.restoreAllMenu();
        library_.restoreAllHeader();
        library_.restoreAllDropdownArrow();
        library_.restoreAllToolbar();
    });
    applied_ = false;
}

void Session::stop() {
    if (!installed_) return;
    if (applied_) restore();
    if (!installed_) return; // stopped while restoring
    installed_ = false;
    hooks_.stop();
    if (companion_ != nullptr) companion_->stop();
}

std::string describeApplied(const Settings& settings, const IconSet& icons) {
    return cat(num(icons.slotsInUse()), " icon slots (", num(icons.largeSize), " and ",
               num(icons.smallSize), " px), menu ",
               (settings.menuEnabled ? "extended" : "untouched"));
}

} // namespace tarvikctl

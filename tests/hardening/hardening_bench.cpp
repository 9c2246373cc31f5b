// The hardening bench.
#include "hardening_bench.h"

#include <chrono>
#include <cstdio>

namespace hardening {

void DllCase::SetUp() {
    std::string error;
    ASSERT_TRUE(library.load(&error)) << error;
    // Wine's desktop process can keep the block of an earlier case alive: start fresh.
    *library.shared = loadedImageOfSharedBlock();
    notifyWindow = CreateWindowExA(0, "STATIC", "hardening", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(notifyWindow, nullptr);
}

void DllCase::install() {
    ASSERT_EQ(library.installHook(library.module, notifyWindow), 0);
    ASSERT_NE(library.shared->hookCallWndProc, nullptr);
}

void DllCase::TearDown() {
    if (library.uninstallHook != nullptr) library.uninstallHook();
    if (notifyWindow != nullptr) DestroyWindow(notifyWindow);
}

GuardedPages::GuardedPages(std::size_t usableBytes) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const std::size_t page = info.dwPageSize;
    const std::size_t usable = (usableBytes + page - 1) / page * page;
    base_ = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, usable + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base_ == nullptr) return;
    guard_ = base_ + usable;
    DWORD old = 0;
    if (!VirtualProtect(guard_, page, PAGE_NOACCESS, &old)) {
        VirtualFree(base_, 0, MEM_RELEASE);
        base_ = nullptr;
    }
}

GuardedPages::~GuardedPages() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
}

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

bool answers(HWND window, UINT timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

standin::FrameOptions frameOptions(standin::FrameClass frameClass, int index, bool large) {
    standin::FrameOptions options;
    options.frameClass = frameClass;
    options.large = large;
    options.x = 20 + (index % 10) * 30;
    options.y = 20 + (index % 7) * 30;
    options.width = 640;
    options.height = 420;
    return options;
}

Look lookOf(standin::RemoteShell& host, const standin::FrameHandles& frame) {
    Look look;
    auto bands = host.bands(frame.rebar);
    auto buttons = host.buttons(frame.mainToolbar);
    if (bands)
        for (const standin::BandRecord& band : *bands)
            look.bandStyles.push_back(band.fStyle & (RBBS_HIDDEN | RBBS_HIDETITLE));
    if (buttons)
        for (const standin::ButtonRecord& button : *buttons)
            look.arrows.push_back(button.fsStyle & BTNS_DROPDOWN);
    for (bool hot : {false, true})
        if (auto list = host.imageList(frame.mainToolbar, hot)) look.lists.push_back(*list);
    return look;
}

void expectSameLook(const Look& native, const Look& now, const char* frame) {
    EXPECT_EQ(now.bandStyles, native.bandStyles) << frame;
    EXPECT_EQ(now.arrows, native.arrows) << frame;
    ASSERT_EQ(now.lists.size(), 2u) << frame;
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(now.lists[i].cx, native.lists[i].cx) << frame;
        ASSERT_EQ(now.lists[i].count, native.lists[i].count) << frame;
        for (int image = 0; image < native.lists[i].described; ++image)
            EXPECT_EQ(now.lists[i].centre[image], native.lists[i].centre[image])
                << frame << " image " << image;
    }
}

::testing::AssertionResult fullCycle(LibraryUnderTest& library, HWND notify,
                                     standin::RemoteShell& host,
                                     const standin::FrameHandles& probe) {
    const COLORREF largeColour = RGB(20, 200, 60), smallColour = RGB(20, 60, 200);
    auto large = host.createIcons(24, std::vector<COLORREF>(kIconSlots, largeColour));
    auto small = host.createIcons(16, std::vector<COLORREF>(kIconSlots, smallColour));
    if (!large || !small) return ::testing::AssertionFailure() << "no icons in the host";
    library.installHook(library.module, notify);
    library.setIcons(large->data(), large->data(), kIconSlots, 24);
    library.setSmallIcons(small->data(), small->data(), kIconSlots, 16);
    library.changeAllToolbar();
    for (TarvikShowHideFn showHide : {library.showHideAllLogo, library.showHideAllMenu,
                                      library.showHideAllHeader, library.showHideAllDropdownArrow})
        showHide(1, 1);
    auto applied = host.imageList(probe.mainToolbar, false);
    const bool took = applied && applied->described > 0 &&
                      (applied->centre[0] == largeColour || applied->centre[0] == smallColour);
    for (TarvikBroadcastFn restore :
         {library.restoreAllLogo, library.restoreAllMenu, library.restoreAllHeader,
          library.restoreAllDropdownArrow, library.restoreAllToolbar})
        restore();
    library.uninstallHook();
    host.destroyIcons(*large);
    host.destroyIcons(*small);
    if (!took) return ::testing::AssertionFailure() << "the controller's icons never went on";
    return ::testing::AssertionSuccess();
}

} // namespace hardening

// Any process that maps the library can write every byte of its shared block. This
// process forges it while a host's frames are worked on: a fake image list inside
// the block behind every list slot, the host's own icons in the saved tables with
// their flags set, indices, counts and sizes out of range, unterminated captions,
// junk hook handles. The host must not touch the fake, destroy its icons, hurt its
// heap or stop answering; once sane values are back, a normal cycle looks native.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <vector>
#include "hardening_bench.h"

using namespace hardening;

namespace {

class ForgedBlock : public DllCase {};

TEST_F(ForgedBlock, AHostTrustsNothingItDidNotPutThere) {
    install();
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    standin::FrameOptions options[] = {frameOptions(standin::FrameClass::Explorer, 0),
                                       frameOptions(standin::FrameClass::Browser, 1, false)};
    for (standin::FrameOptions& frame : options)
        frame.visible = false; // no repainting: a hundred walks stay quick
    auto explorer = host.createFrame(options[0]);
    auto browser = host.createFrame(options[1]);
    auto taskbar = host.createTaskbar();
    ASSERT_TRUE(explorer && browser && taskbar);
    ASSERT_EQ(FindWindowA("Shell_TrayWnd", nullptr), *taskbar);
    const Look nativeExplorer = lookOf(host, *explorer);
    const Look nativeBrowser = lookOf(host, *browser);
    auto victims = host.createIcons(24, std::vector<COLORREF>(8, RGB(200, 10, 90)));
    ASSERT_TRUE(victims) << victims.error;

    // The block as the host maps it, and a fake list in it that starts like a real one.
    auto section = host.readSection(besideThisProgram(TARVIK_DLL_NAME), 0, 1);
    ASSERT_TRUE(section) << section.error;
    SharedState& block = *library.shared;
    const auto offsetInImage =
        reinterpret_cast<char*>(&block) - reinterpret_cast<char*>(library.module);
    char* hostBlock = reinterpret_cast<char*>(section->module) + offsetInImage;
    auto realList = host.imageList(explorer->mainToolbar, false);
    ASSERT_TRUE(realList) << realList.error;
    void* firstWord = nullptr;
    ASSERT_TRUE(
        ReadProcessMemory(host.process(), realList->list, &firstWord, sizeof firstWord, nullptr));
    char* fake = &block.popupItemTexts[0][0];
    std::memset(fake, 0, sizeof block.popupItemTexts);
    std::memcpy(fake, &firstWord, sizeof firstWord);
    std::vector<char> fakeBefore(fake, fake + sizeof block.popupItemTexts);
    const auto fakeInHost =
        reinterpret_cast<HIMAGELIST>(hostBlock + offsetof(SharedState, popupItemTexts));

    int round = 0;
    auto forge = [&] {
        ++round;
        for (HIMAGELIST* slot :
             {&block.explorerLargeList, &block.explorerLargeHotList, &block.explorerSmallList,
              &block.explorerSmallHotList, &block.ieLargeList, &block.ieLargeHotList,
              &block.ieSmallList, &block.ieSmallHotList})
            *slot = fakeInHost;
        block.explorerLargeListsOwner = block.explorerSmallListsOwner = host.processId();
        for (int i = 0; i < kIconSlots; ++i) {
            const HICON victim = (*victims)[static_cast<std::size_t>(i) % victims->size()];
            block.savedLargeIcons[i] = block.savedLargeHotIcons[i] = victim;
            block.savedSmallIcons[i] = block.savedSmallHotIcons[i] = victim;
            block.iconIndex[i] = i % 2 ? INT_MIN + i : 1000 + i;
        }
        block.savedLargeValid = block.savedSmallValid = 1;
        block.iconCount = round % 2 ? INT_MAX : -7;
        block.iconSizeMode = round % 2 ? 1 : 2;
        block.largeIconSize = INT_MAX;
        block.smallIconSize = INT_MIN;
        block.popupEnabled = 1;
        block.popupItemCount = round % 2 ? INT_MAX : INT_MIN;
        std::memset(block.popupTitle, 'T', sizeof block.popupTitle);
        std::memset(block.menuBarItemText, 'M', sizeof block.menuBarItemText);
        for (HHOOK* hook :
             {&block.hookCallWndProc, &block.hookCallWndProcRet, &block.hookGetMessage,
              &block.hookMouse, &block.hookKeyboard, &block.hookKeyboardLL})
            *hook = reinterpret_cast<HHOOK>(static_cast<INT_PTR>(0x1234 + round));
        block.inactive = 0;
    };

    const UINT kMessages[] = {MSG_SET_ICONS,   MSG_SET_LOGO,      MSG_SET_MENUBAR,
                              MSG_SET_HEADERS, MSG_SET_DROPDOWNS, MSG_TOGGLE_MENUBAR};
    for (const standin::FrameHandles* frame : {&*explorer, &*browser})
        for (UINT message : kMessages)
            for (WPARAM wp : {1, 2, 3}) {
                forge();
                const LPARAM kind = frame == &*explorer ? TARVIK_KIND_EXPLORER : TARVIK_KIND_IE;
                ASSERT_TRUE(host.send(frame->frame, message, wp, kind));
            }
    forge();
    ASSERT_TRUE(host.send(*taskbar, MSG_RESTORE_ICONS));
    const std::vector<TarvikBroadcastFn> broadcasts = {
        library.changeAllToolbar,       library.restoreAllLogo,    library.restoreAllMenu,
        library.restoreAllHeader,       library.restoreAllToolbar, library.uninstallHook,
        library.restoreAllDropdownArrow};
    for (TarvikShowHideFn showHide :
         {library.showHideAllLogo, library.showHideAllMenu, library.showHideAllHeader,
          library.showHideAllDropdownArrow}) {
        forge();
        showHide(1, 1);
    }
    for (TarvikBroadcastFn call : broadcasts) {
        forge();
        call();
        if (call == library.uninstallHook) library.installHook(library.module, notifyWindow);
    }
    forge();
    library.setIcons(nullptr, nullptr, 0, INT_MAX);
    library.setSmallIcons(nullptr, nullptr, 0, 16);
    library.setPopupMenuItem(nullptr, nullptr, nullptr, 0, nullptr);
    library.setShowMenuVKey(VK_MENU);
    library.restoreAllToolbar();

    EXPECT_EQ(std::memcmp(fake, fakeBefore.data(), fakeBefore.size()), 0)
        << "the host worked on the fake image list";
    for (HICON victim : *victims) {
        auto described = host.describeIcon(victim);
        ASSERT_TRUE(described) << described.error;
        EXPECT_TRUE(described->valid) << "the host destroyed an icon it never saved";
    }
    ASSERT_TRUE(host.running());
    auto heap = host.call<BOOL>(standin::wire::Request::HeapCheck);
    ASSERT_TRUE(heap) << heap.error;
    EXPECT_TRUE(*heap) << "the host's heap is damaged";
    for (HWND frame : {explorer->frame, browser->frame})
        EXPECT_TRUE(host.send(frame, WM_NULL));

    // Sane values back: a normal cycle, and the native look once it is undone.
    *library.shared = loadedImageOfSharedBlock();
    ASSERT_TRUE(fullCycle(library, notifyWindow, host, *browser));
    expectSameLook(nativeExplorer, lookOf(host, *explorer), "explorer");
    expectSameLook(nativeBrowser, lookOf(host, *browser), "browser");
    EXPECT_TRUE(host.stop());
}

} // namespace

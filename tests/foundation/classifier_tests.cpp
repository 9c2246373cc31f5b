// The window predicates on real windows: frames by class, the browser frame's
// disqualifying child, main toolbars by control id and root, bar windows,
// truncated long class names, and dead handles.
#include <gtest/gtest.h>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "windows/classifier.h"

namespace {

constexpr int kMainToolbarId = 0xA000;

// Class names are matched without regard to case within one module, so a name that
// differs only in case is registered for another module instance.
HINSTANCE otherInstance() {
    return GetModuleHandleA("kernel32.dll");
}

ATOM registerClass(const char* name, HINSTANCE instance = GetModuleHandleA(nullptr)) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    return RegisterClassA(&wc);
}

class Classifier : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&icc);
        for (const char* name :
             {"CabinetWClass", "ExploreWClass", "IEFrame", "CommandBarClass", "CabinetWClassX",
              "Cabinet", "WorkerW", "PlainTopLevel", "ToolbarWindow32AndThenSomeMoreCharacters"})
            registerClass(name);
        registerClass("cabinetwclass", otherInstance());
        registerClass("EXPLOREWCLASS", otherInstance());
    }

    void TearDown() override {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            if (IsWindow(*it)) DestroyWindow(*it);
    }

    HWND top(const char* className, HINSTANCE instance = GetModuleHandleA(nullptr)) {
        return keep(CreateWindowExA(0, className, "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                    nullptr, instance, nullptr));
    }

    HWND child(HWND parent, const char* className, int id = 0) {
        return keep(CreateWindowExA(0, className, "", WS_CHILD, 0, 0, 100, 30, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                                    nullptr));
    }

    HWND keep(HWND window) {
        EXPECT_NE(window, nullptr);
        created_.push_back(window);
        return window;
    }

  private:
    std::vector<HWND> created_;
};

TEST_F(Classifier, ExplorerFramesAreRecognisedByExactClassName) {
    EXPECT_EQ(isExplorerFrame(top("CabinetWClass")), 1);
    EXPECT_EQ(isExplorerFrame(top("ExploreWClass")), 1);
    HWND lowerCase = top("cabinetwclass", otherInstance());
    char name[32] = {};
    GetClassNameA(lowerCase, name, sizeof name);
    ASSERT_STREQ(name, "cabinetwclass");
    EXPECT_EQ(isExplorerFrame(lowerCase), 0) << "letter case must matter";
    EXPECT_EQ(isExplorerFrame(top("EXPLOREWCLASS", otherInstance())), 0);
    EXPECT_EQ(isExplorerFrame(top("CabinetWClassX")), 0) << "a longer name is another class";
    EXPECT_EQ(isExplorerFrame(top("Cabinet")), 0) << "a prefix is another class";
    EXPECT_EQ(isExplorerFrame(top("IEFrame")), 0);
}

TEST_F(Classifier, BrowserFrameIsRejectedOnlyForADirectCommandBarChild) {
    HWND plain = top("IEFrame");
    EXPECT_EQ(isIEFrame(plain), 1);

    HWND withChild = top("IEFrame");
    child(withChild, "CommandBarClass");
    EXPECT_EQ(isIEFrame(withChild), 0);

    HWND withGrandchild = top("IEFrame");
    child(child(withGrandchild, "WorkerW"), "CommandBarClass");
    EXPECT_EQ(isIEFrame(withGrandchild), 1) << "only a direct child disqualifies";

    EXPECT_EQ(isIEFrame(top("CabinetWClass")), 0);
}

TEST_F(Classifier, FrameKindTestsExplorerFirst) {
    EXPECT_EQ(frameKindOf(top("CabinetWClass")), 1);
    EXPECT_EQ(frameKindOf(top("ExploreWClass")), 1);
    EXPECT_EQ(frameKindOf(top("IEFrame")), 2);
    EXPECT_EQ(frameKindOf(top("PlainTopLevel")), 0);
    HWND disqualified = top("IEFrame");
    child(disqualified, "CommandBarClass");
    EXPECT_EQ(frameKindOf(disqualified), 0);
}

TEST_F(Classifier, MainToolbarNeedsTheControlIdAndAFrameRoot) {
    HWND frame = top("CabinetWClass");
    HWND worker = child(frame, "WorkerW");
    HWND rebar = child(worker, REBARCLASSNAMEA, kMainToolbarId);
    HWND main = child(rebar, TOOLBARCLASSNAMEA, kMainToolbarId);
    HWND menuBar = child(rebar, TOOLBARCLASSNAMEA, 0);
    HWND other = child(rebar, TOOLBARCLASSNAMEA, kMainToolbarId + 1);

    EXPECT_EQ(isMainToolbar(main, 1), 1);
    EXPECT_EQ(isMainToolbar(main, 0), 1);
    EXPECT_EQ(isMainToolbar(menuBar, 0), 0);
    EXPECT_EQ(isMainToolbar(other, 1), 0);
    EXPECT_EQ(isMainToolbar(rebar, 0), 0) << "a rebar is never a main toolbar, whatever its id";

    HWND browser = top("IEFrame");
    EXPECT_EQ(isMainToolbar(child(child(browser, "WorkerW"), TOOLBARCLASSNAMEA, kMainToolbarId), 1),
              1);

    HWND stranger = top("PlainTopLevel");
    HWND strayMain = child(child(stranger, "WorkerW"), TOOLBARCLASSNAMEA, kMainToolbarId);
    EXPECT_EQ(isMainToolbar(strayMain, 1), 0) << "root is not a frame";
    EXPECT_EQ(isMainToolbar(strayMain, 0), 1) << "without the frame check only class and id count";

    HWND barred = top("IEFrame");
    child(barred, "CommandBarClass");
    EXPECT_EQ(isMainToolbar(child(barred, TOOLBARCLASSNAMEA, kMainToolbarId), 1), 0);
}

TEST_F(Classifier, BarWindowsAreToolbarsAndRebarsOfAnyId) {
    HWND frame = top("ExploreWClass");
    HWND rebar = child(frame, REBARCLASSNAMEA, 7);
    HWND menuBar = child(rebar, TOOLBARCLASSNAMEA, 0);
    HWND main = child(rebar, TOOLBARCLASSNAMEA, kMainToolbarId);
    EXPECT_EQ(isBarWindow(rebar, 0), 1);
    EXPECT_EQ(isBarWindow(rebar, 1), 1);
    EXPECT_EQ(isBarWindow(menuBar, 1), 1);
    EXPECT_EQ(isBarWindow(main, 0), 1);
    EXPECT_EQ(isBarWindow(child(frame, "WorkerW"), 0), 0);

    HWND stranger = top("PlainTopLevel");
    HWND strayBar = child(stranger, TOOLBARCLASSNAMEA, 3);
    EXPECT_EQ(isBarWindow(strayBar, 0), 1);
    EXPECT_EQ(isBarWindow(strayBar, 1), 0);
}

TEST_F(Classifier, ClassNamesLongerThanTheBufferNeverMatch) {
    HWND frame = top("CabinetWClass");
    // Read into 31 characters this name begins with "ToolbarWindow32" and goes on.
    HWND impostor = child(frame, "ToolbarWindow32AndThenSomeMoreCharacters", kMainToolbarId);
    EXPECT_EQ(isMainToolbar(impostor, 0), 0);
    EXPECT_EQ(isMainToolbar(impostor, 1), 0);
    EXPECT_EQ(isBarWindow(impostor, 0), 0);
}

TEST_F(Classifier, NullAndDestroyedWindowsAreRejectedByEveryPredicate) {
    HWND frame = top("CabinetWClass");
    HWND browser = top("IEFrame");
    HWND main = child(child(frame, "WorkerW"), TOOLBARCLASSNAMEA, kMainToolbarId);
    ASSERT_EQ(isMainToolbar(main, 1), 1);
    DestroyWindow(frame);
    DestroyWindow(browser);
    for (HWND gone : {HWND(nullptr), frame, browser, main}) {
        EXPECT_EQ(isExplorerFrame(gone), 0);
        EXPECT_EQ(isIEFrame(gone), 0);
        EXPECT_EQ(isMainToolbar(gone, 0), 0);
        EXPECT_EQ(isMainToolbar(gone, 1), 0);
        EXPECT_EQ(isBarWindow(gone, 0), 0);
        EXPECT_EQ(isBarWindow(gone, 1), 0);
        EXPECT_EQ(frameKindOf(gone), 0);
    }
}

TEST_F(Classifier, RootIsReadAfreshOnEveryCall) {
    // Nothing is cached: a toolbar moved to another top-level window follows it.
    HWND frame = top("CabinetWClass");
    HWND stranger = top("PlainTopLevel");
    HWND main = child(frame, TOOLBARCLASSNAMEA, kMainToolbarId);
    ASSERT_EQ(isMainToolbar(main, 1), 1);
    SetParent(main, stranger);
    EXPECT_EQ(isMainToolbar(main, 1), 0);
    SetParent(main, frame);
    EXPECT_EQ(isMainToolbar(main, 1), 1);
}

} // namespace

// Every export of the control interface with extreme arguments, on the real DLL's
// shared block filled with a pattern first: no crash, ints stored as given, and
// not one byte changed outside the fields the export may write.
#include <gtest/gtest.h>
#include <windows.h>
#include <climits>
#include <cstddef>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "control_test_util.h"
#include "library_under_test.h"
#include "loaded_library_test.h"

namespace {

struct Field {
    const char* name;
    std::size_t offset, size;
};

#define FIELD(member)                                                                              \
    Field {                                                                                        \
#member, offsetof(SharedState, member), sizeof(SharedState::member)                        \
    }

// Every field, for naming a changed byte.
const Field kFields[] = {
    FIELD(hookCallWndProc),
    FIELD(hookCallWndProcRet),
    FIELD(hookGetMessage),
    FIELD(hookMouse),
    FIELD(hookKeyboard),
    FIELD(hookKeyboardLL),
    FIELD(inactive),
    FIELD(restoring),
    FIELD(notifyWindow),
    FIELD(popupEnabled),
    FIELD(popupTitle),
    FIELD(popupItemCount),
    FIELD(popupItemIds),
    FIELD(popupItemTexts),
    FIELD(menuBarItemText),
    FIELD(explorerIconsApplied),
    FIELD(iconCount),
    FIELD(iconIndex),
    FIELD(largeIcons),
    FIELD(largeHotIcons),
    FIELD(smallIcons),
    FIELD(smallHotIcons),
    FIELD(explorerLargeList),
    FIELD(explorerLargeHotList),
    FIELD(ieLargeList),
    FIELD(ieLargeHotList),
    FIELD(explorerSmallList),
    FIELD(explorerSmallHotList),
    FIELD(ieSmallList),
    FIELD(ieSmallHotList),
    FIELD(iconSizeMode),
    FIELD(largeIconSize),
    FIELD(smallIconSize),
    FIELD(hideLogo),
    FIELD(hideMenu),
    FIELD(menuBandVisible),
    FIELD(hideHeader),
    FIELD(hideDropdown),
    FIELD(savedLargeIcons),
    FIELD(savedLargeHotIcons),
    FIELD(savedLargeValid),
    FIELD(savedSmallValid),
    FIELD(savedSmallIcons),
    FIELD(savedSmallHotIcons),
    FIELD(dropdownTouched),
    FIELD(explorerLargeListsOwner),
    FIELD(explorerSmallListsOwner),
    FIELD(iconGeneration),
};

const Field kHooks[] = {FIELD(hookCallWndProc), FIELD(hookCallWndProcRet), FIELD(hookGetMessage),
                        FIELD(hookMouse),       FIELD(hookKeyboard),       FIELD(hookKeyboardLL)};

std::string nameOf(std::size_t offset) {
    for (const Field& field : kFields)
        if (offset >= field.offset && offset < field.offset + field.size) return field.name;
    return "padding";
}

// Names of the fields with a changed byte outside `allowed`; empty when none.
std::string changedOutside(const SharedState& before, const SharedState& after,
                           const std::vector<Field>& allowed) {
    const auto* a = reinterpret_cast<const unsigned char*>(&before);
    const auto* b = reinterpret_cast<const unsigned char*>(&after);
    std::ostringstream changed;
    std::string last;
    for (std::size_t i = 0; i < sizeof(SharedState); ++i) {
        if (a[i] == b[i]) continue;
        bool mayWrite = false;
        for (const Field& field : allowed)
            mayWrite |= i >= field.offset && i < field.offset + field.size;
        if (mayWrite || nameOf(i) == last) continue;
        last = nameOf(i);
        changed << last << " (byte " << i << ") ";
    }
    return changed.str();
}

const int kExtremes[][2] = {
    {INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}, {-1, 0}, {0, -1}, {2, 7}, {0, 0}, {1, 1},
};

// The block is put back after each test: the pattern must not become the next test's settings.
class ExportArguments : public control_test::LoadedLibraryTest {
  protected:
    // A block where any write shows, even of a value a field might already hold.
    void fillWithPattern() {
        std::memset(static_cast<void*>(shared), 0x5A, sizeof(SharedState));
        shared->hookCallWndProc = shared->hookCallWndProcRet = shared->hookGetMessage = nullptr;
        shared->hookMouse = shared->hookKeyboard = shared->hookKeyboardLL = nullptr;
    }

    // Runs `call` on the patterned block; the block afterwards.
    SharedState around(const std::function<void()>& call, const std::vector<Field>& allowed,
                       const std::string& what) {
        fillWithPattern();
        const SharedState before = *shared;
        call();
        const SharedState after = *shared;
        EXPECT_EQ(changedOutside(before, after, allowed), "")
            << what << " wrote outside its fields";
        return after;
    }
};

TEST_F(ExportArguments, ShowHideStoresAnyIntsAndNothingElse) {
    struct Export {
        const char* name;
        TarvikShowHideFn fn;
        Field field;
    };
    const Export exports[] = {
        {"showHideAllLogo_EXPIE", library.showHideAllLogo, FIELD(hideLogo)},
        {"showHideAllMenu_EXPIE", library.showHideAllMenu, FIELD(hideMenu)},
        {"showHideAllHeader_EXPIE", library.showHideAllHeader, FIELD(hideHeader)},
        {"showHideAllDropdownArrow_EXPIE", library.showHideAllDropdownArrow, FIELD(hideDropdown)},
    };
    for (const Export& e : exports) {
        for (const auto& args : kExtremes) {
            std::ostringstream what;
            what << e.name << "(" << args[0] << ", " << args[1] << ")";
            int answer = 0;
            const SharedState after = around([&] { answer = e.fn(args[0], args[1]); },
                                             {e.field, FIELD(inactive)}, what.str());
            int stored[2];
            std::memcpy(stored, reinterpret_cast<const char*>(&after) + e.field.offset,
                        sizeof stored);
            EXPECT_EQ(stored[0], args[0]) << what.str();
            EXPECT_EQ(stored[1], args[1]) << what.str();
            EXPECT_EQ(after.inactive, 0) << what.str();
            EXPECT_NE(answer, 0) << what.str() << ": the walk completes";
        }
    }
}

TEST_F(ExportArguments, RestoresAndChangeWriteOnlyTheirFlags) {
    struct Export {
        const char* name;
        TarvikBroadcastFn fn;
        std::vector<Field> allowed;
    };
    const Export exports[] = {
        {"restoreAllLogo_EXPIE", library.restoreAllLogo, {FIELD(restoring)}},
        {"restoreAllMenu_EXPIE", library.restoreAllMenu, {FIELD(restoring)}},
        {"restoreAllHeader_EXPIE", library.restoreAllHeader, {FIELD(restoring)}},
        {"restoreAllDropdownArrow_EXPIE", library.restoreAllDropdownArrow, {FIELD(restoring)}},
        {"restoreAllToolbar_EXPIE",
         library.restoreAllToolbar,
         {FIELD(restoring), FIELD(inactive), FIELD(explorerIconsApplied), FIELD(iconGeneration)}},
        {"changeAllToolbar_EXPIE", library.changeAllToolbar, {FIELD(inactive)}},
    };
    for (const Export& e : exports) {
        const SharedState after = around([&] { e.fn(); }, e.allowed, e.name);
        if (e.fn == library.restoreAllToolbar) {
            EXPECT_EQ(after.inactive, 1);
            EXPECT_EQ(after.restoring, 0);
            EXPECT_EQ(after.explorerIconsApplied, 0);
        } else if (e.fn == library.changeAllToolbar) {
            EXPECT_EQ(after.inactive, 0);
        } else {
            EXPECT_EQ(after.restoring, 1) << e.name;
        }
    }
}

TEST_F(ExportArguments, SetShowMenuVKeyChangesNothingAtAll) {
    for (int key : {INT_MIN, -1, 0, 18, 0xA4, 0xFFFF, INT_MAX}) {
        around([&] { library.setShowMenuVKey(key); }, {}, "setShowMenuVKey");
        // And on a block as installation leaves it.
        library.installHook(library.module, nullptr);
        const SharedState before = *shared;
        library.setShowMenuVKey(key);
        EXPECT_EQ(std::memcmp(&before, shared, sizeof before), 0) << "key " << key;
        library.uninstallHook();
    }
}

TEST_F(ExportArguments, InstallAndUninstallWriteOnlyTheirFields) {
    struct Arguments {
        HINSTANCE module;
        HWND notify;
    };
    const Arguments cases[] = {
        {library.module, nullptr},
        {library.module, reinterpret_cast<HWND>(static_cast<INT_PTR>(-1))},
        {library.module, reinterpret_cast<HWND>(static_cast<INT_PTR>(INT_MAX))},
        {nullptr, reinterpret_cast<HWND>(static_cast<INT_PTR>(INT_MIN))},
        {reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(1)), nullptr},
    };
    std::vector<Field> installs(std::begin(kHooks), std::end(kHooks));
    for (Field field : {FIELD(notifyWindow), FIELD(dropdownTouched), FIELD(iconIndex),
                        FIELD(iconCount), FIELD(largeIconSize), FIELD(smallIconSize),
                        FIELD(inactive), FIELD(restoring), FIELD(iconGeneration)})
        installs.push_back(field);
    std::vector<Field> uninstalls(std::begin(kHooks), std::end(kHooks));
    for (Field field : {FIELD(popupItemCount), FIELD(popupEnabled), FIELD(inactive)})
        uninstalls.push_back(field);

    for (const Arguments& c : cases) {
        std::ostringstream what;
        what << "installHook_EXPIE(" << c.module << ", " << c.notify << ")";
        int answer = -1;
        const SharedState installed =
            around([&] { answer = library.installHook(c.module, c.notify); }, installs, what.str());
        EXPECT_EQ(answer, 0);
        EXPECT_EQ(installed.notifyWindow, c.notify) << what.str();
        EXPECT_EQ(installed.inactive, 1);
        EXPECT_EQ(installed.restoring, 0) << "a dead controller's restore would linger";
        EXPECT_EQ(installed.iconCount, 64);

        // Uninstall from the block as installation left it, the pattern elsewhere.
        const SharedState before = *shared;
        EXPECT_EQ(library.uninstallHook(), 0);
        EXPECT_EQ(changedOutside(before, *shared, uninstalls), "") << "uninstallHook_EXPIE";
        for (const Field& hook : kHooks) {
            HHOOK handle;
            std::memcpy(&handle, reinterpret_cast<const char*>(shared) + hook.offset,
                        sizeof handle);
            EXPECT_EQ(handle, nullptr) << hook.name;
        }
        EXPECT_EQ(shared->popupEnabled, 0);
        EXPECT_EQ(shared->inactive, 1);
    }
}

} // namespace

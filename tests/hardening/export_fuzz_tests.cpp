// Every export called many thousands of times with random and extreme arguments:
// tables and captions end at a no-access page so any read past what the count or
// the caption limit allows faults, and the shared block must change only in the
// fields the called export owns.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include "hardening_bench.h"
#include "lane.h"

using namespace hardening;

namespace {

constexpr unsigned kSeed = 0x7A41C0DEu;
// Calls per seed: the emulated lane runs the first tenth (eighth with hooks) of each seed.
const int kQuietCalls = tarvik::test::sweepCount(20000, 2000); // no hooks: the block only
const int kLiveCalls = tarvik::test::sweepCount(500, 60); // hooks in: frames here and in a host

// Which bytes of the block an export may write.
class Owned {
  public:
    Owned() : bytes_(sizeof(SharedState), false) {}
    void add(std::size_t offset, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            bytes_[offset + i] = true;
    }
    bool owns(std::size_t offset) const { return bytes_[offset]; }

  private:
    std::vector<bool> bytes_;
};

#define FIELD(name) offsetof(SharedState, name), sizeof(SharedState::name)

// The first byte outside `owned` that differs, or -1.
long firstStrayByte(const SharedState& before, const SharedState& after, const Owned& owned) {
    const auto* a = reinterpret_cast<const unsigned char*>(&before);
    const auto* b = reinterpret_cast<const unsigned char*>(&after);
    for (std::size_t i = 0; i < sizeof(SharedState); ++i)
        if (a[i] != b[i] && !owned.owns(i)) return static_cast<long>(i);
    return -1;
}

// Fields the frames' walks write when hooks are in (timers may tick at any moment).
void addWalkFields(Owned& owned) {
    owned.add(FIELD(explorerIconsApplied));
    owned.add(FIELD(explorerLargeList));
    owned.add(FIELD(explorerLargeHotList));
    owned.add(FIELD(ieLargeList));
    owned.add(FIELD(ieLargeHotList));
    owned.add(FIELD(explorerSmallList));
    owned.add(FIELD(explorerSmallHotList));
    owned.add(FIELD(ieSmallList));
    owned.add(FIELD(ieSmallHotList));
    owned.add(FIELD(iconSizeMode));
    owned.add(FIELD(menuBandVisible));
    owned.add(FIELD(savedLargeIcons));
    owned.add(FIELD(savedLargeHotIcons));
    owned.add(FIELD(savedLargeValid));
    owned.add(FIELD(savedSmallValid));
    owned.add(FIELD(savedSmallIcons));
    owned.add(FIELD(savedSmallHotIcons));
    owned.add(FIELD(dropdownTouched));
    owned.add(FIELD(explorerLargeListsOwner));
    owned.add(FIELD(explorerSmallListsOwner));
    owned.add(FIELD(restoring));
    owned.add(FIELD(iconGeneration)); // a visual-style change at the taskbar moves it
}

void addHookFields(Owned& owned) {
    owned.add(FIELD(hookCallWndProc));
    owned.add(FIELD(hookCallWndProcRet));
    owned.add(FIELD(hookGetMessage));
    owned.add(FIELD(hookMouse));
    owned.add(FIELD(hookKeyboard));
    owned.add(FIELD(hookKeyboardLL));
}

// Random arguments, extremes first among equals.
class Arguments {
  public:
    explicit Arguments(unsigned seed) : random_(seed) {}
    int below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    int count() {
        static constexpr int kExtremes[] = {INT_MIN, INT_MIN + 1, -65,     -1,          0,      1,
                                            3,       7,           8,       9,           63,     64,
                                            65,      1000,        0x10000, INT_MAX - 1, INT_MAX};
        if (chance(60)) return kExtremes[below(static_cast<int>(std::size(kExtremes)))];
        return static_cast<int>(random_());
    }
    std::uint64_t word() { return (static_cast<std::uint64_t>(random_()) << 32) | random_(); }

  private:
    std::mt19937 random_;
};

int clampEntries(int count, int most) {
    return count < 0 ? 0 : (count > most ? most : count);
}

// Captions placed so that their last byte (terminator or not) touches a guard page.
struct CaptionArea {
    GuardedPages pages{4096};
    std::vector<char> written; // the caption bytes, terminator excluded

    // Terminated captions of any length, or unterminated ones of at least the 31 bytes
    // the library may read: a shorter unterminated run is a controller's bug.
    const char* make(Arguments& args) {
        const bool terminated = !args.chance(30);
        const int length = terminated ? args.below(70) : kCaptionBytes - 1 + args.below(8);
        written.assign(static_cast<std::size_t>(length), 0);
        for (char& c : written)
            c = static_cast<char>(1 + args.below(255));
        char* at = pages.tail<char>(static_cast<std::size_t>(length) + (terminated ? 1 : 0));
        std::memcpy(at, written.data(), written.size());
        if (terminated) at[length] = '\0';
        return at;
    }
};

// The stored caption is the first 31 bytes at most, terminated.
::testing::AssertionResult storedCaption(const char (&field)[kCaptionBytes],
                                         const std::vector<char>& source) {
    const std::size_t length = strnlen(field, kCaptionBytes);
    if (length >= static_cast<std::size_t>(kCaptionBytes))
        return ::testing::AssertionFailure() << "caption not terminated";
    const std::size_t expected =
        source.size() < kCaptionBytes - 1u ? source.size() : kCaptionBytes - 1u;
    // A double-byte character cut at the limit is dropped whole, one byte shorter.
    if (length != expected && length + 1 != expected)
        return ::testing::AssertionFailure()
               << "stored " << length << " bytes of " << source.size();
    if (std::memcmp(field, source.data(), length) != 0)
        return ::testing::AssertionFailure() << "caption bytes differ";
    return ::testing::AssertionSuccess();
}

// Drives the exports with one seed; counts what it called.
class Fuzzer {
  public:
    Fuzzer(LibraryUnderTest& library, unsigned seed, bool live)
        : library_(library), args_(seed), live_(live) {
        for (auto& area : captions_)
            area = std::make_unique<CaptionArea>();
    }
    bool ready() const {
        for (const auto& area : captions_)
            if (!area->pages.ok()) return false;
        return normal_.ok() && hot_.ok() && ids_.ok() && texts_.ok();
    }
    void setIconPool(std::vector<HICON> pool) { pool_ = std::move(pool); }

    // One random call; false with `why` set when the block shows a stray write.
    bool step(std::string& why) {
        const SharedState before = *library_.shared;
        Owned owned;
        if (live_) addWalkFields(owned);
        const int which = pickExport();
        ++calls_[which];
        bool contentOk = true;
        switch (which) {
        case 0: contentOk = callSetIcons(false, before, owned, why); break;
        case 1: contentOk = callSetIcons(true, before, owned, why); break;
        case 2: contentOk = callSetPopup(owned, why); break;
        case 3: library_.setShowMenuVKey(args_.count()); break;
        case 4: callShowHide(library_.showHideAllLogo, FIELD(hideLogo), owned, why); break;
        case 5: callShowHide(library_.showHideAllMenu, FIELD(hideMenu), owned, why); break;
        case 6: callShowHide(library_.showHideAllHeader, FIELD(hideHeader), owned, why); break;
        case 7:
            callShowHide(library_.showHideAllDropdownArrow, FIELD(hideDropdown), owned, why);
            break;
        case 8:
            owned.add(FIELD(inactive));
            owned.add(FIELD(explorerIconsApplied));
            library_.changeAllToolbar();
            break;
        case 9:
            owned.add(FIELD(restoring));
            owned.add(FIELD(inactive));
            owned.add(FIELD(explorerIconsApplied));
            owned.add(FIELD(iconGeneration));
            library_.restoreAllToolbar();
            break;
        case 10:
        case 11:
        case 12:
        case 13: {
            owned.add(FIELD(restoring));
            const TarvikBroadcastFn restore[] = {library_.restoreAllLogo, library_.restoreAllMenu,
                                                 library_.restoreAllHeader,
                                                 library_.restoreAllDropdownArrow};
            restore[which - 10]();
            break;
        }
        case 14: callInstall(owned); break;
        case 15:
            addHookFields(owned);
            owned.add(FIELD(inactive));
            owned.add(FIELD(popupItemCount));
            owned.add(FIELD(popupEnabled));
            library_.uninstallHook();
            if (live_) library_.installHook(library_.module, nullptr); // keep the frames acting
            if (live_) addInstallFields(owned);
            break;
        }
        if (!contentOk) return false;
        const long stray = firstStrayByte(before, *library_.shared, owned);
        if (stray >= 0) {
            why = "export " + std::to_string(which) + " changed byte " + std::to_string(stray) +
                  " of the block, outside its fields";
            return false;
        }
        return true;
    }

    std::string summary() const {
        std::string text;
        for (int i = 0; i < 16; ++i) {
            if (i != 0) text += ' ';
            text += std::to_string(calls_[i]);
        }
        return text;
    }

  private:
    int pickExport() {
        // The stores are cheap and take pointers: most of the calls.
        if (args_.chance(live_ ? 60 : 90)) return args_.below(4);
        // Installing again forgets which arrows were taken: live runs keep one installation.
        return 4 + args_.below(live_ ? 10 : 12);
    }

    HICON randomIcon() {
        switch (args_.below(3)) {
        case 0: return nullptr;
        case 1:
            if (!pool_.empty())
                return pool_[static_cast<std::size_t>(args_.below(static_cast<int>(pool_.size())))];
            [[fallthrough]];
        default: return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(args_.word()));
        }
    }

    bool callSetIcons(bool small, const SharedState& before, Owned& owned, std::string& why) {
        const int count = args_.count();
        // Sizes outside 1..256 fall back to the standard ones; inside, a size must stay in
        // its class (large above 16) or the class probe misreads the list afterwards.
        int size = args_.count();
        if (size >= 1 && size <= 256 && args_.chance(80))
            size = small ? 1 + args_.below(16) : 17 + args_.below(240);
        const int entries = clampEntries(count, kIconSlots);
        const bool withNormal = !args_.chance(20), withHot = !args_.chance(20);
        HICON* normal = normal_.tail<HICON>(static_cast<std::size_t>(entries));
        HICON* hot = hot_.tail<HICON>(static_cast<std::size_t>(entries));
        for (int i = 0; i < entries; ++i) {
            normal[i] = randomIcon();
            hot[i] = randomIcon();
        }
        if (small) {
            owned.add(FIELD(smallIcons));
            owned.add(FIELD(smallHotIcons));
            owned.add(FIELD(smallIconSize));
            owned.add(FIELD(iconGeneration));
            library_.setSmallIcons(withNormal ? normal : nullptr, withHot ? hot : nullptr, count,
                                   size);
        } else {
            owned.add(FIELD(largeIcons));
            owned.add(FIELD(largeHotIcons));
            owned.add(FIELD(largeIconSize));
            owned.add(FIELD(iconGeneration));
            library_.setIcons(withNormal ? normal : nullptr, withHot ? hot : nullptr, count, size);
        }
        const SharedState& after = *library_.shared;
        const HICON* storedNormal = small ? after.smallIcons : after.largeIcons;
        const HICON* storedHot = small ? after.smallHotIcons : after.largeHotIcons;
        const HICON* oldNormal = small ? before.smallIcons : before.largeIcons;
        const HICON* oldHot = small ? before.smallHotIcons : before.largeHotIcons;
        for (int i = 0; i < kIconSlots; ++i) {
            // A missing small table copies the large one; a missing large one keeps the slot.
            const HICON wantNormal = i >= entries ? oldNormal[i]
                                     : withNormal ? normal[i]
                                     : small      ? before.largeIcons[i]
                                                  : oldNormal[i];
            const HICON wantHot = i >= entries ? oldHot[i]
                                  : withHot    ? hot[i]
                                  : small      ? before.largeHotIcons[i]
                                               : oldHot[i];
            if (storedNormal[i] != wantNormal || storedHot[i] != wantHot) {
                why = std::string(small ? "small" : "large") + " slot " + std::to_string(i) +
                      " holds the wrong icon after count " + std::to_string(count);
                return false;
            }
        }
        if ((small ? after.smallIconSize : after.largeIconSize) != size) {
            why = "icon size not stored as given";
            return false;
        }
        return true;
    }

    bool callSetPopup(Owned& owned, std::string& why) {
        const int count = args_.count();
        const int entries = clampEntries(count, kPopupItems);
        const char* title = args_.chance(10) ? nullptr : captions_[0]->make(args_);
        const char* menuBar = args_.chance(10) ? nullptr : captions_[1]->make(args_);
        if (menuBar == nullptr) captions_[1]->written.clear();
        int* ids = ids_.tail<int>(static_cast<std::size_t>(entries));
        const char** texts = texts_.tail<const char*>(static_cast<std::size_t>(entries));
        for (int i = 0; i < entries; ++i) {
            ids[i] = args_.chance(20) ? -1 - args_.below(5) : 0x100 + args_.below(0x7000);
            texts[i] = ids[i] >= 0 ? captions_[2 + i]->make(args_) : nullptr;
        }
        const bool withIds = !args_.chance(10), withTexts = !args_.chance(10);
        owned.add(FIELD(popupEnabled));
        owned.add(FIELD(popupItemCount));
        owned.add(FIELD(popupTitle));
        owned.add(FIELD(menuBarItemText));
        owned.add(FIELD(popupItemIds));
        owned.add(FIELD(popupItemTexts));
        library_.setPopupMenuItem(title, withIds ? ids : nullptr, withTexts ? texts : nullptr,
                                  count, menuBar);
        const SharedState& after = *library_.shared;
        if (title == nullptr || !withIds || !withTexts) {
            if (after.popupEnabled != 0 || after.popupItemCount != 0) {
                why = "a missing argument left the popup enabled";
                return false;
            }
            return true;
        }
        if (after.popupEnabled != 1 || popupEntries(after.popupItemCount) != entries) {
            why = "popup count " + std::to_string(after.popupItemCount) + " for " +
                  std::to_string(count);
            return false;
        }
        auto check = [&](const char(&field)[kCaptionBytes], const std::vector<char>& source,
                         const char* what) {
            const auto result = storedCaption(field, source);
            if (!result) why = std::string(what) + ": " + result.message();
            return static_cast<bool>(result);
        };
        if (!check(after.popupTitle, captions_[0]->written, "title")) return false;
        if (!check(after.menuBarItemText, captions_[1]->written, "menu-bar caption")) return false;
        for (int i = 0; i < entries; ++i) {
            if (after.popupItemIds[i] != ids[i]) {
                why = "item id " + std::to_string(i);
                return false;
            }
            if (ids[i] >= 0 && !check(after.popupItemTexts[i], captions_[2 + i]->written, "item"))
                return false;
        }
        return true;
    }

    // Entries a reader uses for the stored count.
    static int popupEntries(int stored) { return clampEntries(stored, kPopupItems); }

    void callShowHide(TarvikShowHideFn fn, std::size_t offset, std::size_t size, Owned& owned,
                      std::string&) {
        owned.add(offset, size);
        owned.add(FIELD(inactive));
        const int explorer = args_.chance(50) ? args_.below(2) : args_.count();
        const int browser = args_.chance(50) ? args_.below(2) : args_.count();
        fn(explorer, browser);
    }

    void addInstallFields(Owned& owned) {
        addHookFields(owned);
        owned.add(FIELD(notifyWindow));
        owned.add(FIELD(dropdownTouched));
        owned.add(FIELD(iconIndex));
        owned.add(FIELD(iconCount));
        owned.add(FIELD(largeIconSize));
        owned.add(FIELD(smallIconSize));
        owned.add(FIELD(inactive));
        owned.add(FIELD(restoring));
        owned.add(FIELD(iconGeneration));
    }

    void callInstall(Owned& owned) {
        addInstallFields(owned);
        const HWND notify = args_.chance(50)
                                ? nullptr
                                : reinterpret_cast<HWND>(static_cast<std::uintptr_t>(args_.word()));
        // Without hooks wanted, no module: only the low-level hook can go in, on this thread.
        library_.installHook(live_ ? library_.module : nullptr, notify);
    }

    LibraryUnderTest& library_;
    Arguments args_;
    bool live_;
    GuardedPages normal_{kIconSlots * sizeof(HICON)};
    GuardedPages hot_{kIconSlots * sizeof(HICON)};
    GuardedPages ids_{kPopupItems * sizeof(int)};
    GuardedPages texts_{kPopupItems * sizeof(char*)};
    std::unique_ptr<CaptionArea> captions_[2 + kPopupItems];
    std::vector<HICON> pool_;
    int calls_[16] = {};
};

#undef FIELD

class ExportFuzz : public DllCase {};

// Frames of the host and of this process must still answer and look native.
void expectHostFrameAlive(standin::RemoteShell& host, HWND frame) {
    ASSERT_TRUE(host.running()) << "the host died";
    auto answer = host.send(frame, WM_NULL);
    EXPECT_TRUE(answer) << answer.error;
}

} // namespace

TEST_F(ExportFuzz, WithoutHooksOnlyTheCalledExportsFieldsChange) {
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    auto remote = host.createFrame(frameOptions(standin::FrameClass::Explorer, 0));
    ASSERT_TRUE(remote) << remote.error;
    const standin::FrameHandles local =
        standin::createFrame(frameOptions(standin::FrameClass::Browser, 1));
    ASSERT_NE(local.frame, nullptr);
    std::vector<HICON> pool;
    for (int i = 0; i < 4; ++i)
        pool.push_back(standin::createSolidIcon(24, RGB(40 * i, 200, 10)));

    Fuzzer fuzzer(library, kSeed, false);
    ASSERT_TRUE(fuzzer.ready());
    fuzzer.setIconPool(pool);
    const double start = nowMs();
    for (int call = 0; call < kQuietCalls; ++call) {
        std::string why;
        ASSERT_TRUE(fuzzer.step(why)) << "call " << call << " (seed " << kSeed << "): " << why;
        if (call % 64 == 0) tarvik::test::pumpPending();
    }
    const double elapsed = nowMs() - start;
    std::printf("[ fuzz ] %d calls without hooks in %.0f ms; calls per export: %s\n", kQuietCalls,
                elapsed, fuzzer.summary().c_str());
    RecordProperty("calls", kQuietCalls);

    EXPECT_TRUE(answers(local.frame));
    expectHostFrameAlive(host, remote->frame);
    EXPECT_TRUE(host.stop());
    for (HICON icon : pool)
        DestroyIcon(icon);
}

TEST_F(ExportFuzz, WithHooksFramesHereAndInAHostSurviveAndComeBackNative) {
    install();
    standin::RemoteShell host;
    standin::HostOptions hostOptions;
    hostOptions.requestTimeoutMs = 8000;
    ASSERT_TRUE(host.start(hostOptions)) << host.lastError();
    auto explorer = host.createFrame(frameOptions(standin::FrameClass::Explorer, 0));
    auto browser = host.createFrame(frameOptions(standin::FrameClass::Browser, 1, false));
    ASSERT_TRUE(explorer) << explorer.error;
    ASSERT_TRUE(browser) << browser.error;
    auto taskbar = host.createTaskbar();
    ASSERT_TRUE(taskbar) << taskbar.error;
    const standin::FrameHandles local =
        standin::createFrame(frameOptions(standin::FrameClass::Explorer, 2, false));
    ASSERT_NE(local.frame, nullptr);
    const auto localBands = standin::snapshotBands(local.rebar);
    const auto localButtons = standin::snapshotButtons(local.mainToolbar);
    const auto localList = standin::describeImageList(local.normalList);
    auto hostBands = host.bands(explorer->rebar);
    auto hostList = host.imageList(browser->mainToolbar, true);
    ASSERT_TRUE(hostBands && hostList);

    // Icons of the host's frames are made in the host; this process's icons are
    // garbage there, as wild values are everywhere.
    std::vector<COLORREF> colours(8, RGB(250, 30, 30));
    auto hostIcons = host.createIcons(24, colours);
    ASSERT_TRUE(hostIcons) << hostIcons.error;
    std::vector<HICON> pool = *hostIcons;
    for (int i = 0; i < 4; ++i)
        pool.push_back(standin::createSolidIcon(16, RGB(10, 40 * i, 200)));

    Fuzzer fuzzer(library, kSeed ^ 0x5555u, true);
    ASSERT_TRUE(fuzzer.ready());
    fuzzer.setIconPool(pool);
    const double start = nowMs();
    for (int call = 0; call < kLiveCalls; ++call) {
        std::string why;
        ASSERT_TRUE(fuzzer.step(why)) << "call " << call << ": " << why;
        tarvik::test::pumpPending();
        if (call % 50 == 49) {
            auto ping = host.ping();
            DWORD code = 0;
            GetExitCodeProcess(host.process(), &code);
            ASSERT_TRUE(ping) << "host stopped answering by call " << call << ": " << ping.error
                              << " (exit code " << code << ")";
        }
    }
    const double elapsed = nowMs() - start;
    std::printf("[ fuzz ] %d calls with hooks in %.0f ms; calls per export: %s\n", kLiveCalls,
                elapsed, fuzzer.summary().c_str());

    EXPECT_TRUE(answers(local.frame));
    expectHostFrameAlive(host, explorer->frame);
    expectHostFrameAlive(host, browser->frame);

    // A sane configuration afterwards still restores every frame to its native look. A
    // restoreAllToolbar_EXPIE among the calls leaves customisation off, when the restores
    // of the other features are ignored: a controller's session applies before it restores.
    library.changeAllToolbar();
    library.restoreAllLogo();
    library.restoreAllMenu();
    library.restoreAllHeader();
    library.restoreAllDropdownArrow();
    library.restoreAllToolbar();
    library.uninstallHook();
    tarvik::test::pumpFor(50);
    EXPECT_EQ(standin::snapshotBands(local.rebar).size(), localBands.size());
    const auto bandsNow = standin::snapshotBands(local.rebar);
    for (std::size_t i = 0; i < bandsNow.size() && i < localBands.size(); ++i)
        EXPECT_EQ(bandsNow[i].fStyle & RBBS_HIDDEN, localBands[i].fStyle & RBBS_HIDDEN) << i;
    const auto buttonsNow = standin::snapshotButtons(local.mainToolbar);
    ASSERT_EQ(buttonsNow.size(), localButtons.size());
    // A restored arrow comes back auto-sized, whatever the button was before.
    for (std::size_t i = 0; i < buttonsNow.size(); ++i) {
        const BYTE native = localButtons[i].fsStyle;
        const BYTE restored = (native & BTNS_DROPDOWN) ? native | BTNS_AUTOSIZE : native;
        EXPECT_EQ(buttonsNow[i].fsStyle, restored) << "button " << i;
    }
    // The lists come back at their native size (the icons suites check their images).
    EXPECT_EQ(standin::describeImageList(local.normalList).cx, localList.cx);
    auto hostBandsNow = host.bands(explorer->rebar);
    ASSERT_TRUE(hostBandsNow) << hostBandsNow.error;
    ASSERT_EQ(hostBandsNow->size(), hostBands->size());
    for (std::size_t i = 0; i < hostBands->size(); ++i)
        EXPECT_EQ((*hostBandsNow)[i].fStyle & RBBS_HIDDEN, (*hostBands)[i].fStyle & RBBS_HIDDEN);
    auto hostListNow = host.imageList(browser->mainToolbar, true);
    ASSERT_TRUE(hostListNow) << hostListNow.error;
    EXPECT_EQ(hostListNow->cx, hostList->cx);
    EXPECT_TRUE(host.stop());
}

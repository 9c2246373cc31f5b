// The real DLL's shared block: loaded-image values in a fresh instance, and one
// block for every process that maps the library (written here, read in a host).
#include <gtest/gtest.h>
#include <windows.h>
#include <cstddef>
#include <cstring>

#include "library_under_test.h"
#include "standin/client.h"

namespace {

// A private copy of the DLL is a new image: its block is fresh whatever other
// processes (Wine's desktop among them) keep the shipped DLL mapped.
class PrivateLibrary {
  public:
    PrivateLibrary() : path_(privateCopyOfLibrary()) {}
    ~PrivateLibrary() {
        if (!path_.empty()) DeleteFileA(path_.c_str());
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

template <typename T>
T fieldFrom(const std::vector<unsigned char>& bytes) {
    T value;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

TEST(SharedBlock, FreshInstanceHoldsTheLoadedImageValues) {
    PrivateLibrary copy;
    ASSERT_FALSE(copy.path().empty());
    LibraryUnderTest library;
    std::string error;
    ASSERT_TRUE(library.load(&error, StartFrom::AsFound, copy.path())) << error;
    const SharedState expected = loadedImageOfSharedBlock();
    EXPECT_EQ(std::memcmp(library.shared, &expected, sizeof expected), 0);
    EXPECT_EQ(library.shared->menuBandVisible, 1);
    EXPECT_EQ(library.shared->iconCount, 0) << "icon loops do nothing before installation";
    EXPECT_EQ(library.shared->largeIconSize, 0);
    library.unload();
}

TEST(SharedBlock, StoresMadeHereAreReadByAnotherProcess) {
    PrivateLibrary copy;
    ASSERT_FALSE(copy.path().empty());
    LibraryUnderTest library;
    std::string error;
    ASSERT_TRUE(library.load(&error, StartFrom::AsFound, copy.path())) << error;
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();

    // No frame is open, so these only store.
    library.showHideAllLogo(7, -3);
    const HICON icons[2] = {reinterpret_cast<HICON>(0x1234), nullptr};
    library.setIcons(icons, icons, 2, 40);
    const int ids[1] = {4242};
    const char* texts[1] = {"Open"};
    library.setPopupMenuItem("Tools", ids, texts, 1, "Menu bar");

    const std::string& dll = copy.path();
    auto logo = host.readSection(dll, offsetof(SharedState, hideLogo), sizeof(int) * 2);
    ASSERT_TRUE(logo) << logo.error;
    EXPECT_EQ(fieldFrom<int>(logo->bytes), 7);
    EXPECT_EQ(fieldFrom<int>({logo->bytes.begin() + 4, logo->bytes.end()}), -3);

    auto size = host.readSection(dll, offsetof(SharedState, largeIconSize), sizeof(int));
    ASSERT_TRUE(size) << size.error;
    EXPECT_EQ(fieldFrom<int>(size->bytes), 40);

    auto icon = host.readSection(dll, offsetof(SharedState, largeIcons), sizeof(HICON));
    ASSERT_TRUE(icon) << icon.error;
    EXPECT_EQ(fieldFrom<HICON>(icon->bytes), icons[0]);

    auto title = host.readSection(dll, offsetof(SharedState, popupTitle), kCaptionBytes);
    ASSERT_TRUE(title) << title.error;
    EXPECT_STREQ(reinterpret_cast<const char*>(title->bytes.data()), "Tools");

    auto enabled = host.readSection(dll, offsetof(SharedState, popupEnabled), sizeof(int));
    ASSERT_TRUE(enabled) << enabled.error;
    EXPECT_EQ(fieldFrom<int>(enabled->bytes), 1);

    // And back: a later store is seen too, not a copy taken at load.
    library.showHideAllLogo(0, 1);
    logo = host.readSection(dll, offsetof(SharedState, hideLogo), sizeof(int) * 2);
    ASSERT_TRUE(logo) << logo.error;
    EXPECT_EQ(fieldFrom<int>(logo->bytes), 0);
    EXPECT_EQ(fieldFrom<int>({logo->bytes.begin() + 4, logo->bytes.end()}), 1);
    EXPECT_TRUE(host.stop());
    library.unload();
}

TEST(SharedBlock, ANewInstanceStartsFreshOnceNoProcessMapsTheLibrary) {
    PrivateLibrary copy;
    ASSERT_FALSE(copy.path().empty());
    {
        LibraryUnderTest library;
        std::string error;
        ASSERT_TRUE(library.load(&error, StartFrom::AsFound, copy.path())) << error;
        library.showHideAllMenu(5, 6);
        ASSERT_EQ(library.shared->hideMenu[0], 5);
        library.unload();
    }
    LibraryUnderTest again;
    std::string error;
    ASSERT_TRUE(again.load(&error, StartFrom::AsFound, copy.path())) << error;
    const SharedState expected = loadedImageOfSharedBlock();
    EXPECT_EQ(std::memcmp(again.shared, &expected, sizeof expected), 0)
        << "hideMenu[0] = " << again.shared->hideMenu[0];
    again.unload();
}

} // namespace

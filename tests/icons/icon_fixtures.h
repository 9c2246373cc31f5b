// What the icon suites share: the controller's icons (solid colours no native
// image has), stand-in frames that close with the test, and a readable check of
// an image list's real contents: count, icon size and the centre colour of each image.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <initializer_list>
#include <vector>
#include "standin/standin.h"

namespace icontest {

constexpr int kSlots = 64;

// Centre colour of the controller's icon for a slot. Dark and unsaturated, so it
// never equals a native colour or the probe background; `set` tells sets apart.
COLORREF controllerColor(int slot, bool hot, int set = 0);

// A normal and a hot table of 64 icons as a controller hands them over; slots not
// named stay null. The icons are made here and destroyed with the object.
class ControllerIcons {
  public:
    ControllerIcons(int size, std::initializer_list<int> normalSlots,
                    std::initializer_list<int> hotSlots, int set = 0);
    // Every slot filled, normal and hot.
    static ControllerIcons full(int size, int set = 0);
    ~ControllerIcons();
    ControllerIcons(const ControllerIcons&) = delete;
    ControllerIcons& operator=(const ControllerIcons&) = delete;
    ControllerIcons(ControllerIcons&&) = default;

    const HICON* normal() const { return normal_.data(); }
    const HICON* hot() const { return hot_.data(); }
    std::vector<HICON> all() const;
    // Every icon made here is still a live icon.
    bool allAlive() const;

  private:
    ControllerIcons() = default;
    std::vector<HICON> normal_ = std::vector<HICON>(kSlots, nullptr);
    std::vector<HICON> hot_ = std::vector<HICON>(kSlots, nullptr);
};

// A stand-in frame of this thread, destroyed when the test ends.
class Frame {
  public:
    explicit Frame(const standin::FrameOptions& options);
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    const standin::FrameHandles* operator->() const { return &handles_; }
    const standin::FrameHandles& handles() const { return handles_; }

  private:
    standin::FrameHandles handles_;
};

standin::FrameOptions explorerOptions(int imageSize = standin::kLargeImageSize,
                                      int imageCount = standin::kDefaultImageCount);
standin::FrameOptions browserOptions(int imageSize = standin::kLargeImageSize,
                                     int imageCount = standin::kDefaultImageCount);

HIMAGELIST normalListOf(HWND toolbar);
HIMAGELIST hotListOf(HWND toolbar);

// What a list should hold: one centre colour per image, in order, at size x size.
struct ListContents {
    int size;
    std::vector<COLORREF> centres;
};

// Native images 0..count-1 of the stand-in, normal or hot.
std::vector<COLORREF> nativeColours(int count, bool hot);
// Image i of the list: the controller's colour where `controller` names slot i, else native.
std::vector<COLORREF> mixedColours(int count, bool hot, std::initializer_list<int> controller,
                                   int set = 0);

::testing::AssertionResult listHolds(HIMAGELIST list, const ListContents& expected);
// The same for a list described in another process.
::testing::AssertionResult listHolds(const standin::ImageListInfo& info,
                                     const ListContents& expected);

// Icon size of a list, {0, 0} when it has none.
SIZE iconSizeOf(HIMAGELIST list);

// A list of fresh native images, as a visual-style change hands the toolbar.
HIMAGELIST freshNativeList(int size, int count, bool hot);

} // namespace icontest

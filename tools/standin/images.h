// Image helpers for tests: solid-colour icons, and reading back the pixels of an
// image list's images by drawing them into a 32-bit DIB.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace standin {

// Background the readers draw images on; a transparent pixel reads as this.
constexpr COLORREF kProbeBackground = RGB(1, 2, 3);
// Colour reported for an image or pixel that could not be read.
constexpr COLORREF kNoColor = CLR_INVALID;

// A size x size icon whose every pixel is `colour`, fully opaque (CreateIconIndirect).
HICON createSolidIcon(int size, COLORREF colour);

// Colour of pixel (x, y) of image `index` as ImageList_Draw (ILD_NORMAL) paints it
// over kProbeBackground.
COLORREF imagePixel(HIMAGELIST list, int index, int x, int y);
// The image's centre pixel, (cx / 2, cy / 2).
COLORREF imageCentre(HIMAGELIST list, int index);
// Centre pixel of an icon drawn with DrawIconEx at its own size.
COLORREF iconCentre(HICON icon, int* width = nullptr, int* height = nullptr);

constexpr int kMaxDescribedImages = 64;

// Plain data, so it can cross processes.
struct ImageListInfo {
    HIMAGELIST list; // null: the toolbar has none
    int count;
    int cx, cy;
    int described; // entries of centre that are filled (count, at most 64)
    COLORREF centre[kMaxDescribedImages];
};

ImageListInfo describeImageList(HIMAGELIST list);

} // namespace standin

// Solid icons and pixel probes. Every probe draws into its own DIB section, so it
// works on any thread and reads what the list really holds, mask included.
#include "images.h"

#include <cstdint>
#include <vector>

namespace standin {

namespace {

struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    std::uint32_t* pixels = nullptr;
    int width = 0, height = 0;

    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h; // top-down: row 0 first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<std::uint32_t*>(bits);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(kProbeBackground);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool valid() const { return pixels != nullptr; }

    COLORREF at(int x, int y) const {
        if (!valid() || x < 0 || y < 0 || x >= width || y >= height) return kNoColor;
        GdiFlush();
        std::uint32_t bgra = pixels[y * width + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
};

} // namespace

HICON createSolidIcon(int size, COLORREF colour) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP colourBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (colourBitmap == nullptr) return nullptr;
    // Opaque alpha, so 32-bit aware drawing and the AND mask agree.
    std::uint32_t pixel =
        0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < size * size; ++i)
        pixels[i] = pixel;
    // AND mask all zero: every pixel opaque. Monochrome rows are word aligned.
    std::vector<unsigned char> maskBits(static_cast<size_t>(((size + 15) / 16) * 2 * size), 0);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = colourBitmap;
    icon.hbmMask = mask;
    HICON result = CreateIconIndirect(&icon);
    DeleteObject(colourBitmap);
    DeleteObject(mask);
    return result;
}

COLORREF imagePixel(HIMAGELIST list, int index, int x, int y) {
    int cx = 0, cy = 0;
    if (list == nullptr || !ImageList_GetIconSize(list, &cx, &cy) || index < 0 ||
        index >= ImageList_GetImageCount(list))
        return kNoColor;
    Canvas canvas(cx, cy);
    if (!canvas.valid() || !ImageList_Draw(list, index, canvas.dc, 0, 0, ILD_NORMAL))
        return kNoColor;
    return canvas.at(x, y);
}

COLORREF imageCentre(HIMAGELIST list, int index) {
    int cx = 0, cy = 0;
    if (list == nullptr || !ImageList_GetIconSize(list, &cx, &cy)) return kNoColor;
    return imagePixel(list, index, cx / 2, cy / 2);
}

COLORREF iconCentre(HICON icon, int* width, int* height) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return kNoColor;
    BITMAP bitmap{};
    GetObject(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    int cx = bitmap.bmWidth;
    // A monochrome icon stacks its AND and XOR masks in one bitmap of double height.
    int cy = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    if (width != nullptr) *width = cx;
    if (height != nullptr) *height = cy;
    if (cx <= 0 || cy <= 0) return kNoColor;
    Canvas canvas(cx, cy);
    if (!canvas.valid() || !DrawIconEx(canvas.dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL))
        return kNoColor;
    return canvas.at(cx / 2, cy / 2);
}

ImageListInfo describeImageList(HIMAGELIST list) {
    ImageListInfo info{};
    info.list = list;
    if (list == nullptr) return info;
    info.count = ImageList_GetImageCount(list);
    ImageList_GetIconSize(list, &info.cx, &info.cy);
    info.described = info.count < kMaxDescribedImages ? info.count : kMaxDescribedImages;
    for (int i = 0; i < info.described; ++i)
        info.centre[i] = imageCentre(list, i);
    return info;
}

} // namespace standin

// Prepared strips: a fixed table, one entry per size class; the bitmaps are GDI's, made
// once per icon generation. An entry is taken by one thread at a time; a thread that
// finds it taken fills by slot, as it would without strips.
#include "icons/icon_strips.h"
#include "icons/icon_fills.h"

namespace {

struct Strip {
    LONG taken;
    const void* module; // ImageList_Add of the module whose lists it was made for
    LONG generation, natives;
    int size, count;
    HBITMAP images[2], masks[2]; // normal, hot
};

Strip strips[2]; // large, small
LONG nativesEpoch;

void drop(Strip& strip) {
    for (int k = 0; k < 2; ++k) {
        if (strip.images[k] != nullptr) DeleteObject(strip.images[k]);
        if (strip.masks[k] != nullptr) DeleteObject(strip.masks[k]);
        strip.images[k] = strip.masks[k] = nullptr;
    }
}

// Copies an icon's colour and mask bitmaps into cell x of the strip's two DCs; false
// when the icon is not a colour icon of exactly the cell's size (the slot-by-slot fill
// would stretch it).
bool copyCell(HDC image, HDC mask, HDC source, HICON icon, int x, int size) {
    ICONINFO info;
    if (icon == nullptr || !GetIconInfo(icon, &info)) return false;
    BITMAP bitmap{};
    const bool fits = info.hbmColor != nullptr &&
                      GetObjectA(info.hbmColor, sizeof bitmap, &bitmap) == sizeof bitmap &&
                      bitmap.bmWidth == size && bitmap.bmHeight == size;
    if (fits) {
        HGDIOBJ kept = SelectObject(source, info.hbmColor);
        BitBlt(image, x, 0, size, size, source, 0, 0, SRCCOPY);
        SelectObject(source, info.hbmMask);
        BitBlt(mask, x, 0, size, size, source, 0, 0, SRCCOPY);
        SelectObject(source, kept);
    }
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return fits;
}

HICON slotIcon(const HICON* controller, const HICON* saved, int slot) {
    return controller != nullptr && controller[slot] != nullptr ? controller[slot] : saved[slot];
}

bool prepare(Strip& strip, const HICON* const (&icons)[2], const SavedTables& saved, int count,
             int size) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = count * size;
    format.bmiHeader.biHeight = size;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC dcs[3] = {CreateCompatibleDC(nullptr), CreateCompatibleDC(nullptr),
                  CreateCompatibleDC(nullptr)};
    bool made = dcs[0] != nullptr && dcs[1] != nullptr && dcs[2] != nullptr;
    for (int k = 0; made && k < 2; ++k) {
        void* bits = nullptr;
        strip.images[k] = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        strip.masks[k] = CreateBitmap(count * size, size, 1, 1, nullptr);
        made = strip.images[k] != nullptr && strip.masks[k] != nullptr;
        if (!made) break;
        HGDIOBJ keptImage = SelectObject(dcs[0], strip.images[k]);
        HGDIOBJ keptMask = SelectObject(dcs[1], strip.masks[k]);
        const HICON* natives = k == 0 ? saved.normal : saved.hot;
        for (int i = 0; made && i < count; ++i)
            made = copyCell(dcs[0], dcs[1], dcs[2], slotIcon(icons[k], natives, i), i * size, size);
        SelectObject(dcs[0], keptImage);
        SelectObject(dcs[1], keptMask);
    }
    for (HDC dc : dcs)
        if (dc != nullptr) DeleteDC(dc);
    return made;
}

} // namespace

bool stripsFit(const ImageListApi& api, HIMAGELIST list, HIMAGELIST hotList) {
    const HIMAGELIST pair[2] = {list, hotList};
    for (HIMAGELIST each : pair) {
        IMAGEINFO info{};
        BITMAP bitmap{};
        if (!api.getImageInfo(each, 0, &info) || info.hbmMask == nullptr ||
            GetObjectA(info.hbmImage, sizeof bitmap, &bitmap) != sizeof bitmap ||
            bitmap.bmBitsPixel != 32)
            return false;
    }
    return true;
}

bool fillFromStrips(const ImageListApi& api, bool large, HIMAGELIST list, HIMAGELIST hotList,
                    const HICON* icons, const HICON* hotIcons, const SavedTables& saved, int count,
                    int size) {
    Strip& strip = strips[large ? 0 : 1];
    if (api.add == nullptr || count <= 0 || InterlockedCompareExchange(&strip.taken, 1, 0) != 0)
        return false;
    const LONG generation = iconGenerationNow();
    const LONG natives = InterlockedCompareExchange(&nativesEpoch, 0, 0);
    // A strip that could not be made stays missing for its key: no retry at every frame.
    if (strip.module != reinterpret_cast<const void*>(api.add) || strip.generation != generation ||
        strip.natives != natives || strip.size != size || strip.count != count) {
        drop(strip);
        const HICON* const tables[2] = {icons, hotIcons};
        if (!prepare(strip, tables, saved, count, size)) drop(strip);
        strip.module = reinterpret_cast<const void*>(api.add);
        strip.generation = generation;
        strip.natives = natives;
        strip.size = size;
        strip.count = count;
    }
    const bool filled = strip.images[0] != nullptr &&
                        api.add(list, strip.images[0], strip.masks[0]) >= 0 &&
                        api.add(hotList, strip.images[1], strip.masks[1]) >= 0;
    InterlockedExchange(&strip.taken, 0);
    if (!filled) {
        api.remove(list, -1);
        api.remove(hotList, -1);
    }
    return filled;
}

void noteNativeIconsSaved() {
    InterlockedIncrement(&nativesEpoch);
}

void releaseIconStrips() {
    for (Strip& strip : strips) {
        if (InterlockedCompareExchange(&strip.taken, 1, 0) != 0) continue;
        drop(strip);
        strip.module = nullptr;
        InterlockedExchange(&strip.taken, 0);
    }
}

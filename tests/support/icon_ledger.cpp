// The ledger's replacements for the patched imports. They run on whatever thread
// the module calls from, so the books are kept under a lock.
#include "icon_ledger.h"

#include <commctrl.h>
#include <mutex>
#include <set>
#include "iat_patch.h"

namespace tarvik::test {

namespace {

using GetIconFn = HICON(WINAPI*)(HIMAGELIST, int, UINT);
using DestroyIconFn = BOOL(WINAPI*)(HICON);
using SetIconSizeFn = BOOL(WINAPI*)(HIMAGELIST, int, int);

struct Books {
    std::mutex lock;
    HMODULE module = nullptr;
    GetIconFn getIcon = nullptr;
    DestroyIconFn destroyIcon = nullptr;
    SetIconSizeFn setIconSize = nullptr;
    IconLedgerCounts counts{};
    std::set<HICON> live;
    std::set<HICON> dead; // destroyed, not handed out again since
    std::vector<HICON> other;
    std::vector<HICON> destroyedAll;
};

Books& books() {
    static Books instance;
    return instance;
}

HICON WINAPI countedGetIcon(HIMAGELIST list, int index, UINT flags) {
    Books& b = books();
    HICON icon = b.getIcon(list, index, flags);
    if (icon == nullptr) return icon;
    std::lock_guard<std::mutex> guard(b.lock);
    ++b.counts.created;
    b.live.insert(icon);
    b.dead.erase(icon); // a handle value may come back for a new icon
    return icon;
}

BOOL WINAPI countedDestroyIcon(HICON icon) {
    Books& b = books();
    {
        std::lock_guard<std::mutex> guard(b.lock);
        b.destroyedAll.push_back(icon);
        if (icon == nullptr) {
            ++b.counts.destroyedNull;
        } else if (b.live.erase(icon) != 0) {
            ++b.counts.destroyed;
            b.dead.insert(icon);
        } else if (b.dead.count(icon) != 0) {
            ++b.counts.destroyedTwice;
        } else {
            ++b.counts.destroyedOther;
            b.other.push_back(icon);
        }
    }
    return b.destroyIcon(icon);
}

BOOL WINAPI countedSetIconSize(HIMAGELIST list, int cx, int cy) {
    Books& b = books();
    int oldCx = 0, oldCy = 0;
    const bool same = list != nullptr && ImageList_GetIconSize(list, &oldCx, &oldCy) &&
                      oldCx == cx && oldCy == cy;
    {
        std::lock_guard<std::mutex> guard(b.lock);
        ++b.counts.resizes;
        if (same) ++b.counts.sameSizeResizes;
        if (list == nullptr) ++b.counts.nullListResizes;
    }
    return b.setIconSize(list, cx, cy);
}

bool patch(HMODULE module, const char* dll, const char* name, void* replacement,
           std::string* error) {
    if (patchImport(module, dll, name, replacement, nullptr)) return true;
    if (error != nullptr) *error += std::string("no import of ") + name + " from " + dll + "; ";
    return false;
}

} // namespace

bool installIconLedger(HMODULE module, std::string* error) {
    Books& b = books();
    std::lock_guard<std::mutex> guard(b.lock);
    if (b.module == module && module != nullptr) return true;
    if (b.module != nullptr) {
        if (error != nullptr) *error = "the ledger already counts another module";
        return false;
    }
    void** getIcon = importSlot(module, "comctl32.dll", "ImageList_GetIcon");
    void** destroyIcon = importSlot(module, "user32.dll", "DestroyIcon");
    void** setIconSize = importSlot(module, "comctl32.dll", "ImageList_SetIconSize");
    if (getIcon == nullptr || destroyIcon == nullptr || setIconSize == nullptr) {
        if (error != nullptr) *error = "the module lacks one of the three imports";
        return false;
    }
    // The originals are kept before any entry changes, so no call finds them unset.
    b.getIcon = reinterpret_cast<GetIconFn>(*getIcon);
    b.destroyIcon = reinterpret_cast<DestroyIconFn>(*destroyIcon);
    b.setIconSize = reinterpret_cast<SetIconSizeFn>(*setIconSize);
    b.module = module;
    return patch(module, "comctl32.dll", "ImageList_GetIcon",
                 reinterpret_cast<void*>(&countedGetIcon), error) &&
           patch(module, "user32.dll", "DestroyIcon", reinterpret_cast<void*>(&countedDestroyIcon),
                 error) &&
           patch(module, "comctl32.dll", "ImageList_SetIconSize",
                 reinterpret_cast<void*>(&countedSetIconSize), error);
}

IconLedgerCounts iconLedgerCounts() {
    Books& b = books();
    std::lock_guard<std::mutex> guard(b.lock);
    IconLedgerCounts counts = b.counts;
    counts.live = static_cast<std::uint32_t>(b.live.size());
    return counts;
}

std::vector<HICON> iconsDestroyedOther() {
    Books& b = books();
    std::lock_guard<std::mutex> guard(b.lock);
    return b.other;
}

std::vector<HICON> iconsDestroyed() {
    Books& b = books();
    std::lock_guard<std::mutex> guard(b.lock);
    return b.destroyedAll;
}

} // namespace tarvik::test

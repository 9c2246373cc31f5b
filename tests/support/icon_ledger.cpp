// The ledger's replacements for the patched imports. They run on whatever thread
// the module calls from, so the books are kept under a lock.
#include "icon_ledger.h"

#include <commctrl.h>
#include <cstring>
#include <mutex>
#include <set>
#include "iat_patch.h"

namespace tarvik::test {

namespace {

using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using GetIconFn = HICON(WINAPI*)(HIMAGELIST, int, UINT);
using DestroyIconFn = BOOL(WINAPI*)(HICON);
using SetIconSizeFn = BOOL(WINAPI*)(HIMAGELIST, int, int);
using ReplaceIconFn = int(WINAPI*)(HIMAGELIST, int, HICON);
using AddFn = int(WINAPI*)(HIMAGELIST, HBITMAP, HBITMAP);

struct Books {
    std::mutex lock;
    HMODULE module = nullptr;
    GetProcAddressFn getProcAddress = nullptr;
    // The functions counted: those of the first module the counted module looks them
    // up in. The same names from another module are handed over uncounted.
    GetIconFn getIcon = nullptr;
    DestroyIconFn destroyIcon = nullptr;
    SetIconSizeFn setIconSize = nullptr;
    ReplaceIconFn replaceIcon = nullptr;
    AddFn add = nullptr;
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

int WINAPI countedReplaceIcon(HIMAGELIST list, int index, HICON icon) {
    Books& b = books();
    {
        std::lock_guard<std::mutex> guard(b.lock);
        ++b.counts.replaceIcons;
    }
    return b.replaceIcon(list, index, icon);
}

int WINAPI countedAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
    Books& b = books();
    {
        std::lock_guard<std::mutex> guard(b.lock);
        ++b.counts.adds;
    }
    return b.add(list, image, mask);
}

template <typename Fn>
FARPROC standIn(Fn& original, FARPROC found, Fn counted) {
    const auto function = reinterpret_cast<Fn>(reinterpret_cast<void*>(found));
    {
        std::lock_guard<std::mutex> guard(books().lock);
        if (original == nullptr) original = function;
        if (original != function) return found;
    }
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(counted));
}

FARPROC WINAPI countedGetProcAddress(HMODULE module, LPCSTR name) {
    Books& b = books();
    const FARPROC found = b.getProcAddress(module, name);
    if (found == nullptr || IS_INTRESOURCE(name)) return found;
    if (std::strcmp(name, "ImageList_GetIcon") == 0)
        return standIn(b.getIcon, found, &countedGetIcon);
    if (std::strcmp(name, "ImageList_SetIconSize") == 0)
        return standIn(b.setIconSize, found, &countedSetIconSize);
    if (std::strcmp(name, "ImageList_ReplaceIcon") == 0)
        return standIn(b.replaceIcon, found, &countedReplaceIcon);
    if (std::strcmp(name, "ImageList_Add") == 0) return standIn(b.add, found, &countedAdd);
    return found;
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
    void** getProcAddress = importSlot(module, "kernel32.dll", "GetProcAddress");
    void** destroyIcon = importSlot(module, "user32.dll", "DestroyIcon");
    if (getProcAddress == nullptr || destroyIcon == nullptr) {
        if (error != nullptr) *error = "the module lacks one of the two imports";
        return false;
    }
    // The originals are kept before any entry changes, so no call finds them unset.
    b.getProcAddress = reinterpret_cast<GetProcAddressFn>(*getProcAddress);
    b.destroyIcon = reinterpret_cast<DestroyIconFn>(*destroyIcon);
    b.module = module;
    return patch(module, "kernel32.dll", "GetProcAddress",
                 reinterpret_cast<void*>(&countedGetProcAddress), error) &&
           patch(module, "user32.dll", "DestroyIcon", reinterpret_cast<void*>(&countedDestroyIcon),
                 error);
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

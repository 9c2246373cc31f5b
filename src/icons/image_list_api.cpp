// The per-process table of image-list functions by module. Zero-initialised and
// filled on first use, without a lock: a slot is claimed by a compare-exchange of
// its module and read only once marked ready, so two threads filling it at once
// each go on with the functions they looked up themselves, which are the same.
#include "icons/image_list_api.h"

namespace {

struct CachedApi {
    HMODULE module; // null: slot free
    LONG ready;     // set once api is stored
    ImageListApi api;
};

// A process rarely holds more than comctl32 versions 5 and 6. With every slot taken,
// further modules are looked up at each use. Entries are never removed: a module is
// looked up only while a toolbar of its class exists.
constexpr int kCachedModules = 4;
CachedApi cachedApis[kCachedModules];

template <typename Fn>
bool take(HMODULE module, const char* name, Fn& slot) {
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return slot != nullptr;
}

ImageListApi lookUp(HMODULE module) {
    ImageListApi api{};
    bool found = take(module, "ImageList_GetImageInfo", api.getImageInfo);
    found = found && take(module, "ImageList_GetImageCount", api.getImageCount);
    found = found && take(module, "ImageList_GetIcon", api.getIcon);
    found = found && take(module, "ImageList_GetIconSize", api.getIconSize);
    found = found && take(module, "ImageList_SetIconSize", api.setIconSize);
    found = found && take(module, "ImageList_SetImageCount", api.setImageCount);
    found = found && take(module, "ImageList_Remove", api.remove);
    found = found && take(module, "ImageList_ReplaceIcon", api.replaceIcon);
    if (found) take(module, "ImageList_Add", api.add);
    return found ? api : ImageListApi{};
}

void keep(HMODULE module, const ImageListApi& api) {
    for (CachedApi& slot : cachedApis) {
        void* held = InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&slot.module),
                                                       module, nullptr);
        if (held == module) return; // another thread is keeping the same functions
        if (held == nullptr) {
            slot.api = api;
            InterlockedExchange(&slot.ready, 1);
            return;
        }
    }
}

} // namespace

bool complete(const ImageListApi& api) {
    return api.getImageInfo && api.getImageCount && api.getIcon && api.getIconSize &&
           api.setIconSize && api.setImageCount && api.remove && api.replaceIcon;
}

ImageListApi imageListApiOfModule(HMODULE module) {
    if (module == nullptr) return ImageListApi{};
    for (CachedApi& slot : cachedApis)
        if (slot.module == module && InterlockedCompareExchange(&slot.ready, 1, 1) == 1)
            return slot.api;
    const ImageListApi api = lookUp(module);
    keep(module, api);
    return api;
}

namespace {

// Wine's comctl32 registers its classes without a module handle, and the class then
// reads as the program's: the module holding the class's window procedure is asked next.
HMODULE procedureModule(HWND toolbar) {
    const auto procedure = reinterpret_cast<LPCWSTR>(GetClassLongPtrW(toolbar, GCLP_WNDPROC));
    HMODULE module = nullptr;
    if (procedure == nullptr ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            procedure, &module))
        return nullptr;
    return module;
}

} // namespace

ImageListApi imageListApiOf(HWND toolbar, HMODULE* from) {
    HMODULE module = reinterpret_cast<HMODULE>(GetClassLongPtrA(toolbar, GCLP_HMODULE));
    ImageListApi api = imageListApiOfModule(module);
    if (!complete(api)) {
        const HMODULE procedureHolder = procedureModule(toolbar);
        module = procedureHolder != module ? procedureHolder : nullptr;
        api = imageListApiOfModule(module);
    }
    if (from != nullptr) *from = complete(api) ? module : nullptr;
    return api;
}

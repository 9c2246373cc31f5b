// A comctl32 of the stand-in's own, one source for three modules:
//   standin_comctl5.dll / standin_comctl6.dll (STANDIN_COMCTL_VERSION 5 or 6) stand for
//   the two comctl32 versions a Windows process can hold side by side, each with its own
//   image-list code; standin_comctl_bare.dll (0) is a module with the toolbar class and
//   no image-list functions.
//
// Windows behaviour modelled:
// - A window class belongs to the module that registered it: GetClassLongPtr with
//   GCLP_HMODULE returns the hInstance given to RegisterClassEx (Microsoft,
//   GetClassLongPtr and WNDCLASSEX docs). comctl32 registers "ToolbarWindow32" with its
//   own instance, so a toolbar names the comctl32 that made it. Wine registers its
//   controls without one (GCLP_HMODULE then names the program), so this module registers
//   the class itself, with its own instance.
// - Versions 5 (system32) and 6 (side-by-side store, chosen by an activation context
//   from a manifest) can both be loaded in one process, each registering its own classes
//   (Microsoft, "Enabling Visual Styles", "Supporting Windows XP Visual Styles" and
//   "Activation Contexts"). Local classes of different modules may share a name: a class
//   is found by name and the instance passed to CreateWindowEx (Microsoft, "About Window
//   Classes": application local classes are searched by instance first).
// The class is a superclass of the real control: its own instance and procedure, the
// real procedure behind it. The image-list exports count their calls per list and
// forward to the real comctl32 (Wine holds one comctl32 for both versions).
#define _COMCTL32_ // our own definitions of the exports below, not imports
#include <windows.h>
#include <commctrl.h>

#ifndef STANDIN_COMCTL_VERSION
#error "STANDIN_COMCTL_VERSION: 5, 6 or 0 (no image-list functions)"
#endif

#define STANDIN_EXPORT extern "C" __declspec(dllexport)

namespace {

HINSTANCE self;
WNDPROC realToolbarProc;

LRESULT CALLBACK toolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(realToolbarProc, window, message, wParam, lParam);
}

HMODULE realComctl() {
    static HMODULE module = LoadLibraryW(L"comctl32.dll");
    return module;
}

bool registerToolbarClass() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitFn>(
        reinterpret_cast<void*>(GetProcAddress(realComctl(), "InitCommonControlsEx")));
    if (init == nullptr || !init(&controls)) return false;
    WNDCLASSEXW real{};
    real.cbSize = sizeof(real);
    if (!GetClassInfoExW(realComctl(), TOOLBARCLASSNAMEW, &real)) return false;
    realToolbarProc = real.lpfnWndProc;
    WNDCLASSEXW own = real;
    own.style &= ~CS_GLOBALCLASS;
    own.lpfnWndProc = toolbarProc;
    own.hInstance = self;
    own.lpszClassName = TOOLBARCLASSNAMEW;
    return RegisterClassExW(&own) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

#if STANDIN_COMCTL_VERSION != 0

struct ListCalls {
    HIMAGELIST list; // null: entry free
    LONG calls;
};
constexpr int kCountedLists = 32;
ListCalls counted[kCountedLists];
LONG totalCalls;

void count(HIMAGELIST list) {
    InterlockedIncrement(&totalCalls);
    for (ListCalls& entry : counted) {
        void* held =
            InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&entry.list), list, nullptr);
        if (held == nullptr || held == list) {
            InterlockedIncrement(&entry.calls);
            return;
        }
    }
}

template <typename Fn>
Fn real(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(realComctl(), name)));
}

#endif

} // namespace

#if STANDIN_COMCTL_VERSION != 0

STANDIN_EXPORT BOOL WINAPI ImageList_GetImageInfo(HIMAGELIST list, int i, IMAGEINFO* info) {
    count(list);
    return real<decltype(&ImageList_GetImageInfo)>("ImageList_GetImageInfo")(list, i, info);
}

STANDIN_EXPORT int WINAPI ImageList_GetImageCount(HIMAGELIST list) {
    count(list);
    return real<decltype(&ImageList_GetImageCount)>("ImageList_GetImageCount")(list);
}

STANDIN_EXPORT HICON WINAPI ImageList_GetIcon(HIMAGELIST list, int i, UINT flags) {
    count(list);
    return real<decltype(&ImageList_GetIcon)>("ImageList_GetIcon")(list, i, flags);
}

STANDIN_EXPORT BOOL WINAPI ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
    count(list);
    return real<decltype(&ImageList_GetIconSize)>("ImageList_GetIconSize")(list, cx, cy);
}

STANDIN_EXPORT BOOL WINAPI ImageList_SetIconSize(HIMAGELIST list, int cx, int cy) {
    count(list);
    return real<decltype(&ImageList_SetIconSize)>("ImageList_SetIconSize")(list, cx, cy);
}

STANDIN_EXPORT BOOL WINAPI ImageList_SetImageCount(HIMAGELIST list, UINT images) {
    count(list);
    return real<decltype(&ImageList_SetImageCount)>("ImageList_SetImageCount")(list, images);
}

STANDIN_EXPORT BOOL WINAPI ImageList_Remove(HIMAGELIST list, int i) {
    count(list);
    return real<decltype(&ImageList_Remove)>("ImageList_Remove")(list, i);
}

STANDIN_EXPORT int WINAPI ImageList_ReplaceIcon(HIMAGELIST list, int i, HICON icon) {
    count(list);
    return real<decltype(&ImageList_ReplaceIcon)>("ImageList_ReplaceIcon")(list, i, icon);
}

STANDIN_EXPORT LONG standinImageListCalls(HIMAGELIST list) {
    if (list == nullptr) return InterlockedCompareExchange(&totalCalls, 0, 0);
    for (const ListCalls& entry : counted)
        if (entry.list == list) return entry.calls;
    return 0;
}

#endif

STANDIN_EXPORT int standinComctlVersion() {
    return STANDIN_COMCTL_VERSION;
}

STANDIN_EXPORT HINSTANCE standinRegisterToolbar() {
    static const bool registered = registerToolbarClass();
    return registered ? self : nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

/*
 * TarvikToolBar: the interface for controller applications.
 * The exported functions, the window messages the controller receives and the
 * identifiers it may meet in a frame. Usable from C and C++, linked through an
 * import library or resolved with GetProcAddress (the pointer types at the end).
 * Linking through an import library, define TARVIK_DLLIMPORT before including
 * this file to declare the functions __declspec(dllimport), which calls them
 * through the import table without a jump stub; the CMake package defines it.
 */
#ifndef TARVIKTOOLBAR_H
#define TARVIKTOOLBAR_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The library's file name for the bitness being built: a hook DLL reaches only
   processes of its own bitness, and the two builds must not share a name. */
#ifdef _WIN64
#define TARVIK_DLL_NAME "TarvikToolBar64.dll"
#define TARVIK_DLL_NAME_W L"TarvikToolBar64.dll"
#else
#define TARVIK_DLL_NAME "TarvikToolBar.dll"
#define TARVIK_DLL_NAME_W L"TarvikToolBar.dll"
#endif

#ifndef TARVIK_API
#ifdef TARVIK_DLLIMPORT
#define TARVIK_API __declspec(dllimport)
#else
#define TARVIK_API
#endif
#endif

/* Window messages, timers and commands; all lie in the WM_USER range. */
enum TarvikIdentifier {
    MSG_SET_ICONS = 0x0DCB,       /* to a frame: wParam 1 apply, 2 restore; lParam frame kind */
    MSG_SET_LOGO = 0x0DCC,        /* to a frame: wParam 1 apply the setting, else show */
    MSG_RESTORE_ICONS = 0x0DCD,   /* to "Shell_TrayWnd", and to Explorer frames of processes
                                     without it: refill Explorer's lists, free icons */
    MSG_SET_MENUBAR = 0x0DCE,     /* to a frame: wParam 1 apply, 2 show, 3 hide if set */
    MSG_SET_HEADERS = 0x0DCF,     /* to a frame: as MSG_SET_LOGO */
    MSG_SET_DROPDOWNS = 0x0DD0,   /* to a frame: as MSG_SET_LOGO */
    MSG_TOGGLE_MENUBAR = 0x0DE2,  /* to the foreground frame: toggle its menu band */
    CMD_TOGGLE_MENUBAR = 0x0DD8,  /* command id of the menu-bar item in the context menu */
    TIMER_MENU_AUTOHIDE = 0x0DD9, /* 2000 ms timer on a frame whose menu band was toggled on */
    TIMER_REAPPLY = 0x0DDA,       /* 1 ms timer on a frame after its rebar re-laid out */
    MSG_POPUP_COMMAND = 0x0BD0    /* posted to the controller: wParam = chosen command id */
};

/* Frame kinds, as carried in the lParam of the frame messages. */
enum TarvikFrameKind { TARVIK_KIND_EXPLORER = 1, TARVIK_KIND_IE = 2 };

/* Limits of the stored configuration. */
enum TarvikLimit {
    TARVIK_ICON_SLOTS = 64,   /* entries of an icon table */
    TARVIK_POPUP_ITEMS = 8,   /* entries of the context submenu */
    TARVIK_CAPTION_BYTES = 32 /* caption buffer, terminator included */
};

/*
 * Exported functions, C calling convention, undecorated names, ordinals 1..16.
 * Calling order: installHook_EXPIE; setIcons_EXPIE / setSmallIcons_EXPIE /
 * setPopupMenuItem; changeAllToolbar_EXPIE and the showHideAll... functions;
 * the restoreAll... functions with restoreAllToolbar_EXPIE last;
 * uninstallHook_EXPIE.
 *
 * The thread that calls installHook_EXPIE becomes part of every program's input:
 * the system calls the low-level keyboard hook on it, and on 64-bit Windows every
 * hook of the other bitness (a 32-bit window under a 64-bit controller's hooks, or
 * the reverse) runs on it too, while the program that took the message or keystroke
 * waits. So from installHook_EXPIE to uninstallHook_EXPIE that thread does nothing
 * but take messages and call the library: reading files, console or pipe output,
 * ShellExecute, dialogs and waits that take no sent messages (WaitForSingleObject,
 * Sleep) belong on other threads, which hand their results over by message.
 */
TARVIK_API int __cdecl changeAllToolbar_EXPIE(void);
TARVIK_API int __cdecl installHook_EXPIE(HINSTANCE hookModule, HWND notifyWindow);
TARVIK_API int __cdecl restoreAllDropdownArrow_EXPIE(void);
TARVIK_API int __cdecl restoreAllHeader_EXPIE(void);
TARVIK_API int __cdecl restoreAllLogo_EXPIE(void);
TARVIK_API int __cdecl restoreAllMenu_EXPIE(void);
TARVIK_API int __cdecl restoreAllToolbar_EXPIE(void);
/* Icon sizes: large toolbars take 17..256 pixels, small ones 1..16; any other size is
   used as the standard 24 or 16. */
TARVIK_API void __cdecl setIcons_EXPIE(const HICON* icons, const HICON* hotIcons, int count,
                                       int size);
TARVIK_API void __cdecl setPopupMenuItem(const char* title, const int* itemIds,
                                         const char* const* itemTexts, int itemCount,
                                         const char* menuBarText);
/* Kept for old controllers: the key is fixed (Alt); any arguments are ignored. */
TARVIK_API void __cdecl setShowMenuVKey(int virtualKey);
TARVIK_API void __cdecl setSmallIcons_EXPIE(const HICON* icons, const HICON* hotIcons, int count,
                                            int size);
TARVIK_API int __cdecl showHideAllDropdownArrow_EXPIE(int hideExplorer, int hideIE);
TARVIK_API int __cdecl showHideAllHeader_EXPIE(int hideExplorer, int hideIE);
TARVIK_API int __cdecl showHideAllLogo_EXPIE(int hideExplorer, int hideIE);
TARVIK_API int __cdecl showHideAllMenu_EXPIE(int hideExplorer, int hideIE);
TARVIK_API int __cdecl uninstallHook_EXPIE(void);

/* Pointer types for controllers that load the library with LoadLibrary. */
typedef int(__cdecl* TarvikBroadcastFn)(void);
typedef int(__cdecl* TarvikShowHideFn)(int hideExplorer, int hideIE);
typedef int(__cdecl* TarvikInstallFn)(HINSTANCE hookModule, HWND notifyWindow);
typedef void(__cdecl* TarvikSetIconsFn)(const HICON* icons, const HICON* hotIcons, int count,
                                        int size);
typedef void(__cdecl* TarvikSetPopupFn)(const char* title, const int* itemIds,
                                        const char* const* itemTexts, int itemCount,
                                        const char* menuBarText);
typedef void(__cdecl* TarvikSetVKeyFn)(int virtualKey);

#ifdef __cplusplus
}
#endif

#endif /* TARVIKTOOLBAR_H */

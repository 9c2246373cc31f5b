// Theme-change marking and re-application. The mark is cleared before the
// walk, whose own ideal-size query then finds nothing to do.
#include "hooks/theme_change.h"
#include "icons/icon_fills.h"
#include "icons/icon_tables.h"
#include "icons/icon_walk.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/class_names.h"
#include "windows/classifier.h"

void markThemeChange(HWND window) {
    if (isMainToolbar(window, 0)) {
        HWND root = GetAncestor(window, GA_ROOT);
        if (isExplorerFrame(root) || isIEFrame(root)) processState.themeChangePending = 1;
        return;
    }
    if (window == FindWindowA(kTaskbarClass, nullptr)) {
        clearExplorerListSlots();
        sharedState.explorerIconsApplied = 0;
        // Every process's fills are then out of date: Explorer frames get their icons
        // again at their next show.
        bumpIconGeneration();
    }
}

void reapplyAfterThemeChange(HWND window) {
    if (!isMainToolbar(window, 0)) return;
    HWND root = GetAncestor(window, GA_ROOT);
    if (isExplorerFrame(root)) {
        processState.themeChangePending = 0;
        clearExplorerListSlots();
        EnumChildWindows(root, iconToolbarProc, iconWalkParam(kKindExplorer, kIconApply));
    } else if (isIEFrame(root)) {
        processState.themeChangePending = 0;
        EnumChildWindows(root, iconToolbarProc, iconWalkParam(kKindIE, kIconApply));
    }
}

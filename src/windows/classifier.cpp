// The four window predicates. Cheap tests first: the class name, then the
// control id, then the root ancestor; the IEFrame child lookup only for IEFrame.
#include "windows/classifier.h"
#include "windows/class_names.h"
#include "state/records.h"
#include "state/identifiers.h"

namespace {

int rootIsFrame(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    return isExplorerFrame(root) || isIEFrame(root) ? 1 : 0;
}

} // namespace

int isExplorerFrame(HWND window) {
    char name[kClassNameChars];
    readClassName(window, name, kClassNameChars);
    if (sameName(name, kExplorerClass)) return 1;
    if (sameName(name, kExplorerTreeClass)) return 1;
    return 0;
}

int isIEFrame(HWND window) {
    char name[kClassNameChars];
    if (!hasClass(window, kIEFrameClass, name, kClassNameChars)) return 0;
    // Only a direct child disqualifies: FindWindowExA searches children, not descendants.
    if (FindWindowExA(window, nullptr, kCommandBarClass, nullptr) != nullptr) return 0;
    return 1;
}

int isMainToolbar(HWND window, int checkFrame) {
    char name[kClassNameChars];
    if (!hasClass(window, kToolbarClass, name, kClassNameChars)) return 0;
    if (GetWindowLongA(window, GWL_ID) != kMainToolbarId) return 0;
    if (checkFrame == 0) return 1;
    return rootIsFrame(window);
}

int isBarWindow(HWND window, int checkFrame) {
    char name[kClassNameChars];
    readClassName(window, name, kClassNameChars);
    if (!sameName(name, kToolbarClass) && !sameName(name, kRebarClass)) return 0;
    if (checkFrame == 0) return 1;
    return rootIsFrame(window);
}

int frameKindOf(HWND window) {
    if (isExplorerFrame(window)) return kKindExplorer;
    if (isIEFrame(window)) return kKindIE;
    return kKindNone;
}

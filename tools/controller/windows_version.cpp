#include "windows_version.h"

#include <windows.h>

namespace tarvikctl {

bool windowsVistaOrLater() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion >= 6;
}

} // namespace tarvikctl

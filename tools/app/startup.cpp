#include "startup.h"
#include "app.h"
#include "text.h"

#include <windows.h>

namespace tarvik_app {

using tarvikctl::cat;
using tarvikctl::num;

// RegQueryValueExA (Windows 2000) rather than RegGetValueA (Vista; XP x64): only the
// value's type is read, so no string that might lack its terminating zero.
bool startsAtLogon() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_NONE;
    const LSTATUS status = RegQueryValueExA(key, kRunValue, nullptr, &type, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ;
}

std::string setStartAtLogon(bool start) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0,
                                     KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return cat("cannot open the Run key (error ", num(status), ")");
    if (start) {
        char program[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, program, MAX_PATH);
        std::string command = cat("\"", program, "\"");
        if (!app().defaultPath) command += cat(" --settings \"", app().settingsPath, "\"");
        status = RegSetValueExA(key, kRunValue, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(command.c_str()),
                                static_cast<DWORD>(command.size() + 1));
    } else {
        status = RegDeleteValueA(key, kRunValue);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return cat("cannot ", start ? "write" : "remove", " the Run value (error ", num(status),
                   ")");
    return "";
}

} // namespace tarvik_app

#include "startup.h"
#include "app.h"
#include "text.h"

#include <windows.h>

namespace tarvik_app {

using tarvikctl::cat;
using tarvikctl::num;

bool startsAtLogon() {
    return RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
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

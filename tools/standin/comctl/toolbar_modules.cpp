#include "standin/comctl/toolbar_modules.h"

#include <cstring>
#include <string>

namespace standin {

namespace {

ToolbarModule defaultModule = ToolbarModule::System;

const char* fileOf(ToolbarModule module) {
    switch (module) {
    case ToolbarModule::Comctl5: return "standin_comctl5.dll";
    case ToolbarModule::Comctl6: return "standin_comctl6.dll";
    case ToolbarModule::Bare: return "standin_comctl_bare.dll";
    default: return nullptr;
    }
}

// Beside the running program, as the build puts them.
HMODULE load(ToolbarModule module) {
    const char* file = fileOf(module);
    if (file == nullptr) return nullptr;
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    full = full.substr(0, full.find_last_of("\\/") + 1) + file;
    return LoadLibraryA(full.c_str());
}

} // namespace

ToolbarModule resolveToolbarModule(ToolbarModule requested) {
    return requested == ToolbarModule::Default ? defaultModule : requested;
}

void setDefaultToolbarModule(ToolbarModule module) {
    defaultModule = module == ToolbarModule::Default ? ToolbarModule::System : module;
}

ToolbarModule toolbarModuleNamed(const char* name) {
    if (std::strcmp(name, "5") == 0) return ToolbarModule::Comctl5;
    if (std::strcmp(name, "6") == 0) return ToolbarModule::Comctl6;
    if (std::strcmp(name, "bare") == 0) return ToolbarModule::Bare;
    if (std::strcmp(name, "system") == 0) return ToolbarModule::System;
    return ToolbarModule::Default;
}

HINSTANCE toolbarModuleInstance(ToolbarModule module) {
    module = resolveToolbarModule(module);
    if (module == ToolbarModule::System) return GetModuleHandleA(nullptr);
    const HMODULE dll = load(module);
    if (dll == nullptr) return nullptr;
    using RegisterFn = HINSTANCE (*)();
    const auto registerToolbar = reinterpret_cast<RegisterFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "standinRegisterToolbar")));
    return registerToolbar != nullptr ? registerToolbar() : nullptr;
}

long imageListCalls(ToolbarModule module, HIMAGELIST list) {
    const char* file = fileOf(resolveToolbarModule(module));
    const HMODULE dll = file != nullptr ? GetModuleHandleA(file) : nullptr;
    if (dll == nullptr) return -1;
    using CallsFn = LONG (*)(HIMAGELIST);
    const auto calls = reinterpret_cast<CallsFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "standinImageListCalls")));
    return calls != nullptr ? calls(list) : -1;
}

} // namespace standin

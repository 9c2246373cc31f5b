// A 64-bit program beside the i686 stand-in shell and the i686 DLL on one desktop.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <string>

#include "process_start.h"
#include "pump.h"

namespace {

constexpr DWORD kStartMs = 60000; // a 32-bit process starts under emulation

std::string i686Tree() {
    const char* tree = std::getenv("TARVIK_I686_TREE");
    return tree != nullptr ? std::string("Z:") + tree + "\\" : std::string();
}

struct Process {
    PROCESS_INFORMATION info{};
    bool start(std::string commandLine) {
        tarvik::test::ProcessStart startWith;
        startWith.commandLine = std::move(commandLine);
        std::string error;
        const bool started = tarvik::test::startProcess(startWith, info, error);
        if (!started) std::fprintf(stderr, "%s\n", error.c_str());
        return started;
    }
    ~Process() {
        if (info.hProcess == nullptr) return;
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
};

struct Search {
    DWORD process;
    const char* className;
    HWND found;
};

HWND topLevelOf(DWORD process, const char* className) {
    Search search{process, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            char name[64] = {};
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            GetClassNameA(window, name, sizeof name);
            if (owner != s->process || lstrcmpA(name, s->className) != 0) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The logo band's window: the "WorkerW" child of the frame's rebar.
HWND logoWindow(HWND frame) {
    HWND rebar = nullptr;
    for (HWND worker = FindWindowExA(frame, nullptr, "WorkerW", nullptr);
         worker != nullptr && rebar == nullptr;
         worker = FindWindowExA(frame, worker, "WorkerW", nullptr))
        rebar = FindWindowExA(worker, nullptr, "ReBarWindow32", nullptr);
    return rebar != nullptr ? FindWindowExA(rebar, nullptr, "WorkerW", nullptr) : nullptr;
}

class MixedDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(i686Tree().empty()) << "TARVIK_I686_TREE names no i686 build tree";
        ASSERT_TRUE(shell.start("\"" + i686Tree() + "standin_shell.exe\" --demo --parent " +
                                std::to_string(GetCurrentProcessId())));
        // The demo scene builds the taskbar last.
        ASSERT_TRUE(tarvik::test::pumpUntil(
            [&] { return topLevelOf(shell.info.dwProcessId, "Shell_TrayWnd") != nullptr; },
            kStartMs));
        frame = topLevelOf(shell.info.dwProcessId, "CabinetWClass");
        ASSERT_NE(frame, nullptr);
    }
    Process shell;
    HWND frame = nullptr;
};

TEST_F(MixedDesktop, SeesTheFrameOfA32BitStandInShell) {
    BOOL shellIs32 = FALSE, selfIs32 = TRUE;
    ASSERT_TRUE(IsWow64Process(shell.info.hProcess, &shellIs32));
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &selfIs32));
    EXPECT_TRUE(shellIs32);
    EXPECT_FALSE(selfIs32);
    EXPECT_NE(topLevelOf(shell.info.dwProcessId, "IEFrame"), nullptr);
    EXPECT_EQ(FindWindowA("CabinetWClass", nullptr), frame);
    // Not SMTO_ABORTIFHUNG: an emulated shell still building its scene on a slow machine
    // takes no message for seconds, which Windows and Wine call hung.
    char title[64] = {};
    EXPECT_GT(SendMessageTimeoutA(frame, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title),
                                  SMTO_NORMAL, kStartMs, nullptr),
              0u);
}

TEST_F(MixedDesktop, The32BitControllerHidesAndRestoresTheLogoBand) {
    const HWND logo = logoWindow(frame);
    ASSERT_NE(logo, nullptr);
    ASSERT_TRUE(IsWindowVisible(logo));
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string settings = std::string(folder) + "tarvik-mixed.ini";
    std::ofstream(settings) << "[explorer]\nhide-logo = yes\n";
    Process controller;
    ASSERT_TRUE(controller.start(
        "\"" + i686Tree() + "tarvikctl.exe\" --quiet --once --hold 4000 \"" + settings + "\""));
    EXPECT_TRUE(tarvik::test::pumpUntil([&] { return !IsWindowVisible(logo); }, kStartMs));
    EXPECT_TRUE(tarvik::test::pumpUntilSignalled(controller.info.hProcess, kStartMs));
    DWORD code = 1;
    GetExitCodeProcess(controller.info.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(tarvik::test::pumpUntil([&] { return IsWindowVisible(logo) != FALSE; }, 10000));
    DeleteFileA(settings.c_str());
}

} // namespace

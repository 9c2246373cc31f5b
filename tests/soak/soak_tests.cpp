// The soak's verdict in a few cycles: no object gained and every look right on the
// real library; an icon a host leaks per cycle is caught as USER and GDI growth.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <string>
#include "child_process.h"

namespace {

// Bounded by the test's own time-out; under emulation a run takes a few minutes.
constexpr DWORD kRunMs = 400000;

std::string soakDriver() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    return program.substr(0, program.find_last_of("\\/") + 1) + "soak_driver.exe";
}

// Three cycles with a census after each; the controller is killed and started again
// in the second, and a frame is closed and another opened in each. Cycle n makes its
// icon set in host n % 3.
tarvik::test::ProcessRun shortSoak(const std::string& more) {
    return tarvik::test::runProcess(tarvik::test::quoted(soakDriver()) +
                                        " --cycles 3 --check-every 1 --restart-every 2" + more,
                                    kRunMs);
}

struct Growth {
    int gdi = -99, user = -99;
};

// The row of the growth table for `process` ("host 0", ...).
Growth growthOf(const std::string& out, const std::string& process) {
    Growth growth;
    const std::size_t table = out.find("growth from cycle 1 to cycle 3");
    if (table == std::string::npos) return growth;
    const std::size_t row = out.find("\n  " + process + " ", table);
    if (row == std::string::npos) return growth;
    std::sscanf(out.c_str() + row + 3 + process.size(), "%d %d", &growth.gdi, &growth.user);
    return growth;
}

} // namespace

TEST(Soak, ShortRunShowsNoGrowthAndCatchesAnIconLeakedPerCycle) {
    const auto clean = shortSoak("");
    ASSERT_TRUE(clean.ended) << clean.out;
    EXPECT_EQ(clean.exitCode, 0u) << clean.out;
    EXPECT_NE(clean.out.find("result: no GDI or USER growth, every look right"), std::string::npos)
        << clean.out;
    EXPECT_NE(clean.out.find("controller killed 1 times"), std::string::npos) << clean.out;
    for (const char* process : {"host 0", "host 1", "host 2", "controller"}) {
        const Growth growth = growthOf(clean.out, process);
        EXPECT_EQ(growth.gdi, 0) << process << "\n" << clean.out;
        EXPECT_EQ(growth.user, 0) << process << "\n" << clean.out;
    }

    const auto leaking = shortSoak(" --leak-icon");
    ASSERT_TRUE(leaking.ended) << leaking.out;
    EXPECT_EQ(leaking.exitCode, 1u) << leaking.out;
    EXPECT_NE(leaking.out.find("result: GDI or USER objects grew"), std::string::npos)
        << leaking.out;
    // After the first census, cycles 2 and 3 made their sets in hosts 2 and 0.
    for (const char* process : {"host 0", "host 2"}) {
        const Growth growth = growthOf(leaking.out, process);
        EXPECT_EQ(growth.user, 1) << process << "\n" << leaking.out;
        EXPECT_GT(growth.gdi, 0) << process << "\n" << leaking.out;
    }
    EXPECT_EQ(growthOf(leaking.out, "host 1").user, 0) << leaking.out;
}

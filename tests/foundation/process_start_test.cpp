// Starting a program that cannot start: one more try, said once, then a clear error
// from the tests' own starter and from the stand-in host's client.
#include <gtest/gtest.h>

#include "process_start.h"
#include "standin/client.h"

namespace {

constexpr char kMissing[] = "C:\\windows\\tarvik-no-such-program.exe";

TEST(ProcessStart, AProgramThatDoesNotExistIsTriedOnceMoreThenFailsClearly) {
    tarvik::test::ProcessStart start;
    start.commandLine = std::string("\"") + kMissing + "\" --flag";
    std::vector<std::string> said;
    PROCESS_INFORMATION info{};
    std::string error;
    EXPECT_FALSE(tarvik::test::startProcess(start, info, error,
                                            [&](const std::string& s) { said.push_back(s); }));
    ASSERT_EQ(said.size(), 1u) << "exactly one retry";
    EXPECT_NE(said[0].find(kMissing), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("trying once more"), std::string::npos) << said[0];
    EXPECT_NE(error.find(std::string("failed twice for \"") + kMissing), std::string::npos)
        << error;
    EXPECT_NE(error.find(", then "), std::string::npos) << error;
    EXPECT_EQ(info.hProcess, nullptr);

    standin::RemoteShell host;
    standin::HostOptions options;
    options.executable = kMissing;
    EXPECT_FALSE(host.start(options));
    EXPECT_EQ(host.lastError().find(std::string("CreateProcess failed twice for ") + kMissing), 0u)
        << host.lastError();
}

} // namespace

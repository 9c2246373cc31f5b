// The Windows a test lane runs its programs on: Windows XP where the lane has Wine
// report it (TARVIK_EXPECT_WINDOWS, "5.1" for 32-bit XP or "5.2" for XP x64, set with
// tests/support/wine_windows_version.sh), Vista or later otherwise. So each of the
// programs' branches by Windows version is taken in one lane or the other.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>

namespace tarvik::test {

inline void expectLaneWindows() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    const std::string running =
        std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion);
    const char* expected = std::getenv("TARVIK_EXPECT_WINDOWS");
    if (expected != nullptr && *expected != '\0')
        EXPECT_EQ(running, expected);
    else
        EXPECT_GE(version.dwMajorVersion, 6u) << running;
}

} // namespace tarvik::test

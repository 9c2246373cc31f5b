// "Start when I log on": a value of the current user's Run key.
#pragma once

#include <string>

namespace tarvik_app {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "TarvikToolBar";

bool startsAtLogon();
// Writes the value (this program, and its settings file unless the default) or
// removes it. "" or the problem.
std::string setStartAtLogon(bool start);

} // namespace tarvik_app

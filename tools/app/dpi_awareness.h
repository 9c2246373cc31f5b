// The app's DPI awareness, declared at start rather than in its manifest.
#pragma once

namespace tarvik_app {

// Before the first window: per-monitor where Windows has it (V2 from Windows 10 1703,
// the first per-monitor kind from 8.1), system-wide from Vista, nothing on XP.
void declareDpiAwareness();

} // namespace tarvik_app

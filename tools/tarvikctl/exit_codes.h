// The exit codes of tarvikctl, one per kind of failure.
#pragma once

namespace tarvikctl {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;    // bad command line
constexpr int kExitSettings = 2; // settings file missing, unreadable or invalid
constexpr int kExitIcons = 3;    // icon files or icon handle file unusable
constexpr int kExitLibrary = 4;  // the library missing or lacking an export
constexpr int kExitSystem = 5;   // a window or console call failed
constexpr int kExitInternal = 6; // out of memory or another unexpected failure
constexpr int kExitRunning = 7;  // another tarvikctl runs on this desktop, or did not stop

} // namespace tarvikctl

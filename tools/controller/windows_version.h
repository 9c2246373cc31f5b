// The running Windows, for the few choices that differ between Windows XP and
// Server 2003 (version 5.x) and Windows Vista and later (6.0 on).
#pragma once

namespace tarvikctl {

// Version 6.0 or later, as GetVersionEx reports it. Later Windows may report an older
// version than they are to a program without a compatibility manifest, never one
// below 6.0, so this answer stays right.
bool windowsVistaOrLater();

} // namespace tarvikctl

// tarvikctl's output. Every line goes into a queue that a thread of the stream's own
// writes out, so that nothing else waits for a reader that does not read: a console in
// which a selection is being made (QuickEdit), a pipe whose reader is busy. Meanwhile
// the newest kMaxQueuedLines lines are kept; once the reader reads again, a line says
// how many were dropped, where they were.
#pragma once

#include <windows.h>
#include <cstddef>
#include <string_view>

namespace tarvikctl {

constexpr std::size_t kMaxQueuedLines = 1000;

enum class Stream { Out, Err };

// Writes `line` and a line end. Before startWriters(), at once on this thread.
void writeLine(Stream stream, std::string_view line);
// From now on lines go through the queues. Once; later calls do nothing.
void startWriters();
// Waits at most `timeoutMs` for what is queued to be written. True if it was.
bool flushWriters(DWORD timeoutMs);

// A progress line on stderr unless quiet.
void note(bool quiet, std::string_view line);
// A warning on stderr, quiet or not.
void warn(std::string_view line);
// The name progress lines, warnings and errors start with ("tarvikctl" unless set).
void setProgramName(const char* name);
const char* programName();

} // namespace tarvikctl

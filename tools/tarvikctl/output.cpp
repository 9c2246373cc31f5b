// A writer per stream: a queue under a critical section, an event that wakes the writer
// and one that says the queue is written out. The writer takes the whole queue at once,
// so a reader that comes back gets the drop notice and the kept lines in one write.
#include "output.h"
#include "text.h"

#include <deque>
#include <string>
#include <utility>

namespace tarvikctl {

namespace {

struct Writer {
    explicit Writer(DWORD id) : handleId(id) {}
    DWORD handleId;
    bool started = false;
    bool broken = false; // the reader is gone: nothing more is written
    CRITICAL_SECTION lock{};
    std::deque<std::string> lines;
    unsigned long long dropped = 0;
    bool awake = false;    // the writer has lines to take or is writing
    HANDLE wake = nullptr; // auto-reset: lines queued while it slept
    HANDLE idle = nullptr; // manual reset: nothing queued or being written
};

// Never destroyed: a writer may still be writing while the process exits.
Writer* const writers[] = {new Writer(STD_OUTPUT_HANDLE), new Writer(STD_ERROR_HANDLE)};
const char* shownName = "tarvikctl";

Writer& writerOf(Stream stream) {
    return *writers[stream == Stream::Out ? 0 : 1];
}

bool writeAll(HANDLE handle, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD wrote = 0;
        const DWORD size = static_cast<DWORD>(text.size() - done);
        if (!WriteFile(handle, text.data() + done, size, &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

DWORD WINAPI writeOut(void* data) {
    Writer& writer = *static_cast<Writer*>(data);
    const HANDLE handle = GetStdHandle(writer.handleId);
    std::deque<std::string> batch;
    for (;;) {
        WaitForSingleObject(writer.wake, INFINITE);
        for (;;) {
            EnterCriticalSection(&writer.lock);
            batch.swap(writer.lines);
            const unsigned long long dropped = std::exchange(writer.dropped, 0);
            if (batch.empty() && dropped == 0) {
                writer.awake = false;
                SetEvent(writer.idle);
                LeaveCriticalSection(&writer.lock);
                break;
            }
            LeaveCriticalSection(&writer.lock);
            try {
                std::string text;
                if (dropped != 0)
                    text = cat(shownName, ": warning: ", num(static_cast<long long>(dropped)),
                               " lines dropped here: the output was not read in time\n");
                for (const std::string& line : batch)
                    text.append(line).push_back('\n');
                if (!writer.broken && !writeAll(handle, text)) writer.broken = true;
            } catch (...) {
                // Out of memory: this batch is lost, the next one may go.
            }
            batch.clear();
        }
    }
}

} // namespace

void writeLine(Stream stream, std::string_view line) {
    Writer& writer = writerOf(stream);
    try {
        std::string text(line);
        if (!writer.started) {
            text.push_back('\n');
            writeAll(GetStdHandle(writer.handleId), text);
            return;
        }
        EnterCriticalSection(&writer.lock);
        try {
            writer.lines.push_back(std::move(text));
        } catch (...) {
            ++writer.dropped;
        }
        if (writer.lines.size() > kMaxQueuedLines) {
            writer.lines.pop_front();
            ++writer.dropped;
        }
        // Only a sleeping writer needs waking: no system call per line otherwise.
        const bool wake = !std::exchange(writer.awake, true);
        if (wake) ResetEvent(writer.idle);
        LeaveCriticalSection(&writer.lock);
        if (wake) SetEvent(writer.wake);
    } catch (...) {
        // Out of memory: the line is lost.
    }
}

void startWriters() {
    for (Writer* each : writers) {
        Writer& writer = *each;
        if (writer.started) continue;
        InitializeCriticalSection(&writer.lock);
        writer.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        writer.idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);
        HANDLE thread = writer.wake != nullptr && writer.idle != nullptr
                            ? CreateThread(nullptr, 0, writeOut, &writer, 0, nullptr)
                            : nullptr;
        // Without a writer, lines are written at once as before.
        if (thread == nullptr) continue;
        CloseHandle(thread);
        writer.started = true;
    }
}

bool flushWriters(DWORD timeoutMs) {
    HANDLE idle[2];
    DWORD count = 0;
    for (const Writer* writer : writers)
        if (writer->started) idle[count++] = writer->idle;
    return count == 0 || WaitForMultipleObjects(count, idle, TRUE, timeoutMs) == WAIT_OBJECT_0;
}

void note(bool quiet, std::string_view line) {
    if (!quiet) writeLine(Stream::Err, cat(shownName, ": ", line));
}

void warn(std::string_view line) {
    writeLine(Stream::Err, cat(shownName, ": warning: ", line));
}

void setProgramName(const char* name) {
    shownName = name;
}

const char* programName() {
    return shownName;
}

} // namespace tarvikctl

// Records the messages that chosen windows of this process receive, in order, by
// subclassing them; optionally runs a test's function before the window procedure.
#pragma once

#include <windows.h>
#include <functional>
#include <memory>
#include <vector>
#include "message_record.h"

namespace tarvik::test {

class MessageRecorder {
  public:
    // Runs before the window procedure; the record is filled but has no result yet.
    using Callback = std::function<void(const MessageRecord&)>;

    explicit MessageRecorder(const RecorderConfig& config = RecorderConfig{});
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // False when the window is not this process's or another recorder holds it.
    // Safe from any thread of the process; the window's own thread is the tidy one.
    bool attach(HWND window);
    // Puts the previous procedure back; if somebody subclassed the window after
    // us, our procedure stays in their chain and just passes messages on.
    void detach(HWND window);
    void detachAll();
    bool attached(HWND window) const;
    std::vector<HWND> windows() const;

    void configure(const RecorderConfig& config);
    RecorderConfig config() const;
    void setRecording(bool on);
    void clear();

    std::vector<MessageRecord> records() const;
    std::vector<MessageRecord> recordsFor(HWND window) const;
    std::size_t count() const;

    // Calls fn before the procedure of `window` (null: any attached window) handles
    // `message`, whether or not the filter records it. fn may destroy the window.
    int before(HWND window, UINT message, Callback fn, bool once = false);
    void removeCallback(int id);

    struct Core;

  private:
    std::shared_ptr<Core> core_;
};

} // namespace tarvik::test

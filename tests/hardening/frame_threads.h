// Frames of this process on threads of their own, each thread pumping until told
// to hang (stop taking messages) or to end.
#pragma once

#include <windows.h>
#include "standin/standin.h"

namespace hardening {

class FrameThread {
  public:
    explicit FrameThread(const standin::FrameOptions& options);
    ~FrameThread();
    FrameThread(const FrameThread&) = delete;
    FrameThread& operator=(const FrameThread&) = delete;
    const standin::FrameHandles& handles() const { return handles_; }
    HWND frame() const { return handles_.frame; }
    // The thread stops taking messages until release().
    void hang();
    void release();

  private:
    static DWORD WINAPI main(void* self);
    standin::FrameOptions options_;
    standin::FrameHandles handles_{};
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HANDLE hang_ = nullptr;
    HANDLE released_ = nullptr;
    HANDLE quit_ = nullptr;
};

} // namespace hardening

// The soak's controller in a process of its own (soak_controller.exe beside this
// program): started, commanded, censused and killed from the driver's thread.
#pragma once

#include <windows.h>
#include <string>
#include "gui_census.h"
#include "soak_protocol.h"

namespace soak {

class ControllerProcess {
  public:
    ControllerProcess();
    ~ControllerProcess();
    ControllerProcess(const ControllerProcess&) = delete;
    ControllerProcess& operator=(const ControllerProcess&) = delete;

    // Starts it and waits until its hooks are in; "" or why not.
    std::string start();
    // True when the command ran; a command waits as long as its broadcasts take.
    bool command(Command command, const void* body = nullptr, DWORD bytes = 0);
    bool census(tarvik::test::GuiCensus& census);
    // TerminateProcess, as a crash or a task manager would end it; waits for the end.
    void kill();
    // Quit, and the end of the process awaited; true when it ended by itself.
    bool stop();
    DWORD processId() const { return processId_; }

    void takeCensus(const COPYDATASTRUCT& data); // the reply window's procedure

  private:
    HWND replyWindow_ = nullptr;
    HWND window_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    bool censusTaken_ = false;
    tarvik::test::GuiCensus census_{};
};

} // namespace soak

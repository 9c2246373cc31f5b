// The demo's stand-in shell: an Explorer frame, an Internet Explorer frame and
// the taskbar in a host process, the state read back from their controls, and
// captures of the frames.
#pragma once

#include <string>
#include <vector>

#include "picture.h"
#include "standin/client.h"
#include "standin/demo_protocol.h"

namespace demo {

enum class Kind { Explorer, Browser };

struct SceneFrame {
    Kind kind;
    std::string label; // "Explorer frame (CabinetWClass)"
    standin::FrameHandles handles;
};

// What the frame's controls say, read with their own messages in the host.
struct FrameState {
    std::vector<standin::BandRecord> bands;
    std::vector<standin::ButtonRecord> buttons;
    standin::ImageListInfo normal{};
    standin::ImageListInfo hot{};
    Area rebar;   // in the frame's client area
    Area toolbar; // the main toolbar, in the frame's client area
};

struct Scene {
    standin::RemoteShell shell;
    std::vector<SceneFrame> frames;
    HWND taskbar = nullptr;
};

// Starts the host and builds the frames and the taskbar. "" or the problem.
std::string buildScene(Scene& scene);

std::string readState(Scene& scene, const SceneFrame& frame, FrameState& state);

// One picture of all frames: their client areas top to bottom, each under its label,
// with a caption above them all.
struct Shot {
    Picture picture;
    std::vector<std::pair<int, int>> offsets; // each frame's client origin in the picture
};

// Captures each frame through `scratch` (a file path) and lays the shot out.
std::string captureFrames(Scene& scene, const std::string& scratch, const std::string& caption,
                          Shot& shot);

// Icons made in the host from the .ico files, as handles of the host.
std::string loadHostIcons(Scene& scene, const std::string& folder, int largeSize, int smallSize,
                          standin::wire::IconFilesReply& icons);

// The --icon-handles file tarvikctl reads.
std::string writeIconHandles(const std::string& path, const standin::wire::IconFilesReply& icons,
                             int largeSize, int smallSize);

const standin::BandRecord* findBand(const FrameState& state, UINT id);

} // namespace demo

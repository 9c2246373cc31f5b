// The demo's host requests. A capture reads the window's own DC right after a
// synchronous repaint on its thread: that is what the process painted, with no
// wait for the display to catch up.
#include "demo_requests.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace standin::host {

namespace {

struct Captured {
    bool ok = false;
    std::string error;
    int width = 0, height = 0;
    RECT screen{};
    std::vector<std::uint32_t> pixels;
};

void capture(HWND window, Captured& out) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    out.screen = client;
    out.width = client.right - client.left;
    out.height = client.bottom - client.top;
    if (out.width <= 0 || out.height <= 0) {
        out.error = "the window has no area";
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HDC source = GetDC(window);
    if (bitmap == nullptr || memory == nullptr || source == nullptr) {
        out.error = "no DC or bitmap for the capture";
    } else {
        HGDIOBJ kept = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, out.width, out.height, source, 0, 0, SRCCOPY)) {
            GdiFlush();
            const auto* pixels = static_cast<const std::uint32_t*>(bits);
            out.pixels.assign(pixels, pixels + static_cast<std::size_t>(out.width) * out.height);
            for (std::uint32_t& pixel : out.pixels)
                pixel &= 0x00FFFFFF;
            out.ok = true;
        } else {
            out.error = "BitBlt from the window failed";
        }
        SelectObject(memory, kept);
    }
    if (source != nullptr) ReleaseDC(window, source);
    if (memory != nullptr) DeleteDC(memory);
    if (bitmap != nullptr) DeleteObject(bitmap);
}

bool writeCapture(const char* path, const Captured& captured) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const std::uint32_t header[3] = {wire::kCaptureMagic,
                                     static_cast<std::uint32_t>(captured.width),
                                     static_cast<std::uint32_t>(captured.height)};
    bool ok = std::fwrite(header, sizeof header, 1, file) == 1 &&
              std::fwrite(captured.pixels.data(), sizeof(std::uint32_t), captured.pixels.size(),
                          file) == captured.pixels.size();
    return std::fclose(file) == 0 && ok;
}

HICON loadIcon(const std::string& path, int size) {
    return static_cast<HICON>(
        LoadImageA(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
}

} // namespace

Status captureWindowIn(Host& host, const wire::CaptureBody& body, Reply& reply) {
    char path[MAX_PATH];
    std::memcpy(path, body.path, sizeof(path));
    path[MAX_PATH - 1] = '\0';
    HWND window = body.window;
    auto captured = std::make_shared<Captured>();
    Status status = host.onWindowThread(window, [captured, window] { capture(window, *captured); });
    if (status == Status::NoSuchWindow || status == Status::NoSuchThread)
        return reply.fail(status, "the window to capture is not the host's");
    if (status != Status::Ok) return reply.fail(status, "the window's thread did not answer");
    if (!captured->ok) return reply.fail(Status::Failed, captured->error);
    if (!writeCapture(path, *captured))
        return reply.fail(Status::Failed, std::string("cannot write ") + path);
    reply.put(wire::CaptureReply{captured->width, captured->height, captured->screen});
    return Status::Ok;
}

Status loadIconFilesIn(Host& host, const wire::IconFilesBody& body, Reply& reply) {
    char folder[MAX_PATH];
    std::memcpy(folder, body.folder, sizeof(folder));
    folder[MAX_PATH - 1] = '\0';
    if (body.largeSize < 1 || body.largeSize > 256 || body.smallSize < 1 || body.smallSize > 256)
        return reply.fail(Status::BadRequest, "icon sizes are 1..256");
    auto answer = std::make_unique<wire::IconFilesReply>();
    std::memset(answer.get(), 0, sizeof(wire::IconFilesReply));
    for (int slot = 0; slot < wire::kIconFileSlots; ++slot) {
        char name[16];
        std::snprintf(name, sizeof name, "%02d.ico", slot);
        const std::string normal = std::string(folder) + "\\" + name;
        const std::string hot = std::string(folder) + "\\hot-" + name;
        HICON* made[4] = {&answer->largeNormal[slot], &answer->largeHot[slot],
                          &answer->smallNormal[slot], &answer->smallHot[slot]};
        *made[0] = loadIcon(normal, body.largeSize);
        *made[1] = loadIcon(hot, body.largeSize);
        *made[2] = loadIcon(normal, body.smallSize);
        *made[3] = loadIcon(hot, body.smallSize);
        bool any = false;
        for (HICON* icon : made) {
            if (*icon == nullptr) continue;
            host.icons.push_back(*icon);
            any = true;
        }
        if (any) ++answer->slotsLoaded;
    }
    reply.put(*answer);
    return Status::Ok;
}

} // namespace standin::host

// Toolbar construction with the ANSI messages, as the shell's own bands answer them.
#include "toolbars.h"

#include <iterator>
#include <vector>
#include "glyphs.h"

namespace standin {

namespace {

constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                            TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | TBSTYLE_TRANSPARENT |
                            CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;

constexpr const char* kGlyphLabels[kToolbarGlyphs] = {"Back",    "Forward", "Up",      "Search",
                                                      "Folders", "Views",   "History", "Favorites",
                                                      "Home",    "Refresh", "Stop",    "Print"};

// `module` picks the class: a "ToolbarWindow32" of its own when it registered one.
HWND createBar(HWND parent, int controlId, const char* text,
               HINSTANCE module = GetModuleHandleA(nullptr)) {
    HWND bar =
        CreateWindowExA(0, TOOLBARCLASSNAMEA, text, kBarStyle, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), module, nullptr);
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return bar;
}

// Text-only buttons that size to their labels, as a menu bar's.
HWND createTextBar(HWND parent, int controlId, const char* text, const char* const* labels,
                   int count, int firstCommand) {
    HWND bar = createBar(parent, controlId, text);
    SendMessageA(bar, TB_SETIMAGELIST, 0, 0);
    SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    std::vector<TBBUTTON> buttons(count);
    for (int i = 0; i < count; ++i) {
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = firstCommand + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT | BTNS_NOPREFIX;
        buttons[i].iString = reinterpret_cast<INT_PTR>(labels[i]);
    }
    SendMessageA(bar, TB_ADDBUTTONSA, count, reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageA(bar, TB_AUTOSIZE, 0, 0);
    return bar;
}

// Command ids of the text bars; arbitrary, apart from the main toolbar's.
constexpr int kFirstMenuCommand = 0x7300;
constexpr int kFirstLinksCommand = 0x7400;

} // namespace

const char* mainButtonLabel(int image) {
    return kGlyphLabels[image % kToolbarGlyphs];
}

BYTE buttonStyleFor(char letter) {
    switch (letter) {
    case kButtonPlain: return BTNS_BUTTON;
    case kButtonPlainAutosize: return BTNS_BUTTON | BTNS_AUTOSIZE;
    case kButtonSeparator: return BTNS_SEP;
    case kButtonDropdown: return BTNS_DROPDOWN;
    case kButtonDropdownAutosize: return BTNS_DROPDOWN | BTNS_AUTOSIZE;
    case kButtonWholeDropdown: return BTNS_WHOLEDROPDOWN;
    default: return kNotAButton;
    }
}

HWND createMenuToolbar(HWND parent) {
    return createTextBar(parent, kMenuToolbarId, nullptr, kMenuLabels,
                         static_cast<int>(std::size(kMenuLabels)), kFirstMenuCommand);
}

HWND createLinksToolbar(HWND parent) {
    return createTextBar(parent, kLinksToolbarId, "Links", kLinksLabels,
                         static_cast<int>(std::size(kLinksLabels)), kFirstLinksCommand);
}

HWND createMainToolbar(HWND parent, int controlId, const char* pattern, int imageCount,
                       HIMAGELIST normal, HIMAGELIST hot, HINSTANCE module) {
    if (module == nullptr) return nullptr;
    HWND bar = createBar(parent, controlId, nullptr, module);
    SendMessageA(bar, TB_SETEXTENDEDSTYLE, 0,
                 TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS | TBSTYLE_EX_HIDECLIPPEDBUTTONS);
    if (normal != nullptr) SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
    if (hot != nullptr) SendMessageA(bar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
    std::vector<TBBUTTON> buttons;
    int button = 0;
    for (const char* letter = pattern; *letter != '\0'; ++letter) {
        BYTE style = buttonStyleFor(*letter);
        if (style == kNotAButton) continue;
        TBBUTTON entry{};
        entry.fsStyle = style;
        if (style & BTNS_SEP) {
            entry.idCommand = 0;
            entry.iBitmap = 0;
        } else {
            int image = imageCount > 0 ? button % imageCount : 0;
            Glyph glyph = static_cast<Glyph>(image % kToolbarGlyphs);
            entry.idCommand = kFirstButtonCommand + button;
            entry.iBitmap = image;
            entry.fsState = TBSTATE_ENABLED;
            entry.iString = reinterpret_cast<INT_PTR>(mainButtonLabel(image));
            // The shell labels only its most used buttons.
            if (glyph == Glyph::Back || glyph == Glyph::Search || glyph == Glyph::Folders)
                entry.fsStyle |= BTNS_SHOWTEXT;
            ++button;
        }
        buttons.push_back(entry);
    }
    if (!buttons.empty())
        SendMessageA(bar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageA(bar, TB_AUTOSIZE, 0, 0);
    return bar;
}

BarSize measureToolbar(HWND toolbar) {
    BarSize size{};
    SIZE max{};
    SendMessageA(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&max));
    size.ideal = max.cx;
    RECT first{};
    if (SendMessageA(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first)))
        size.first = first.right - first.left;
    size.height = HIWORD(SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0));
    return size;
}

} // namespace standin

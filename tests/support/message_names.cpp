// Name tables for messages and notification codes; toolbar and rebar messages are
// told apart by the class of the window that received them.
#include "message_names.h"

#include <commctrl.h>
#include <cstdio>
#include <map>

namespace tarvik::test {

namespace {

struct Name {
    UINT value;
    const char* text;
};

#define NAME(x)                                                                                    \
    { static_cast<UINT>(x), #x }

constexpr Name kWindowMessages[] = {
    NAME(WM_NULL),
    NAME(WM_CREATE),
    NAME(WM_DESTROY),
    NAME(WM_MOVE),
    NAME(WM_SIZE),
    NAME(WM_ACTIVATE),
    NAME(WM_SETFOCUS),
    NAME(WM_KILLFOCUS),
    NAME(WM_ENABLE),
    NAME(WM_SETREDRAW),
    NAME(WM_SETTEXT),
    NAME(WM_GETTEXT),
    NAME(WM_GETTEXTLENGTH),
    NAME(WM_PAINT),
    NAME(WM_CLOSE),
    NAME(WM_QUIT),
    NAME(WM_ERASEBKGND),
    NAME(WM_SYSCOLORCHANGE),
    NAME(WM_SHOWWINDOW),
    NAME(WM_SETTINGCHANGE),
    NAME(WM_ACTIVATEAPP),
    NAME(WM_SETCURSOR),
    NAME(WM_MOUSEACTIVATE),
    NAME(WM_GETMINMAXINFO),
    NAME(WM_WINDOWPOSCHANGING),
    NAME(WM_WINDOWPOSCHANGED),
    NAME(WM_NOTIFY),
    NAME(WM_NOTIFYFORMAT),
    NAME(WM_CONTEXTMENU),
    NAME(WM_STYLECHANGING),
    NAME(WM_STYLECHANGED),
    NAME(WM_GETICON),
    NAME(WM_SETICON),
    NAME(WM_NCCREATE),
    NAME(WM_NCDESTROY),
    NAME(WM_NCCALCSIZE),
    NAME(WM_NCHITTEST),
    NAME(WM_NCPAINT),
    NAME(WM_NCACTIVATE),
    NAME(WM_GETDLGCODE),
    NAME(WM_SYNCPAINT),
    NAME(WM_NCMOUSEMOVE),
    NAME(WM_NCLBUTTONDOWN),
    NAME(WM_NCLBUTTONUP),
    NAME(WM_KEYDOWN),
    NAME(WM_KEYUP),
    NAME(WM_CHAR),
    NAME(WM_SYSKEYDOWN),
    NAME(WM_SYSKEYUP),
    NAME(WM_SYSCHAR),
    NAME(WM_INITDIALOG),
    NAME(WM_COMMAND),
    NAME(WM_SYSCOMMAND),
    NAME(WM_TIMER),
    NAME(WM_INITMENU),
    NAME(WM_INITMENUPOPUP),
    NAME(WM_MENUSELECT),
    NAME(WM_ENTERIDLE),
    NAME(WM_UNINITMENUPOPUP),
    NAME(WM_CTLCOLORMSGBOX),
    NAME(WM_CTLCOLOREDIT),
    NAME(WM_CTLCOLORLISTBOX),
    NAME(WM_CTLCOLORBTN),
    NAME(WM_CTLCOLORDLG),
    NAME(WM_CTLCOLORSCROLLBAR),
    NAME(WM_CTLCOLORSTATIC),
    NAME(WM_MOUSEMOVE),
    NAME(WM_LBUTTONDOWN),
    NAME(WM_LBUTTONUP),
    NAME(WM_LBUTTONDBLCLK),
    NAME(WM_RBUTTONDOWN),
    NAME(WM_RBUTTONUP),
    NAME(WM_MBUTTONDOWN),
    NAME(WM_MBUTTONUP),
    NAME(WM_MOUSEWHEEL),
    NAME(WM_PARENTNOTIFY),
    NAME(WM_ENTERMENULOOP),
    NAME(WM_EXITMENULOOP),
    NAME(WM_CAPTURECHANGED),
    NAME(WM_MOUSEHOVER),
    NAME(WM_MOUSELEAVE),
    NAME(WM_NCMOUSELEAVE),
    NAME(WM_SETFONT),
    NAME(WM_GETFONT),
    NAME(WM_COPYDATA),
    NAME(WM_THEMECHANGED),
    NAME(WM_PRINTCLIENT),
    NAME(WM_GETOBJECT),
    NAME(WM_CHANGEUISTATE),
    NAME(WM_UPDATEUISTATE),
    NAME(WM_QUERYUISTATE),
    NAME(WM_NEXTMENU),
    NAME(WM_ENTERSIZEMOVE),
    NAME(WM_EXITSIZEMOVE),
    NAME(WM_IME_SETCONTEXT),
    NAME(WM_IME_NOTIFY),
    NAME(WM_CANCELMODE),
    NAME(WM_CHILDACTIVATE),
    NAME(WM_DISPLAYCHANGE),
};

constexpr Name kToolbarMessages[] = {
    NAME(TB_ENABLEBUTTON),
    NAME(TB_CHECKBUTTON),
    NAME(TB_PRESSBUTTON),
    NAME(TB_HIDEBUTTON),
    NAME(TB_INDETERMINATE),
    NAME(TB_MARKBUTTON),
    NAME(TB_ISBUTTONENABLED),
    NAME(TB_ISBUTTONCHECKED),
    NAME(TB_ISBUTTONPRESSED),
    NAME(TB_ISBUTTONHIDDEN),
    NAME(TB_SETSTATE),
    NAME(TB_GETSTATE),
    NAME(TB_ADDBITMAP),
    NAME(TB_ADDBUTTONSA),
    NAME(TB_INSERTBUTTONA),
    NAME(TB_DELETEBUTTON),
    NAME(TB_GETBUTTON),
    NAME(TB_BUTTONCOUNT),
    NAME(TB_COMMANDTOINDEX),
    NAME(TB_SAVERESTOREA),
    NAME(TB_CUSTOMIZE),
    NAME(TB_ADDSTRINGA),
    NAME(TB_GETITEMRECT),
    NAME(TB_BUTTONSTRUCTSIZE),
    NAME(TB_SETBUTTONSIZE),
    NAME(TB_SETBITMAPSIZE),
    NAME(TB_AUTOSIZE),
    NAME(TB_GETTOOLTIPS),
    NAME(TB_SETTOOLTIPS),
    NAME(TB_SETPARENT),
    NAME(TB_SETROWS),
    NAME(TB_GETROWS),
    NAME(TB_SETCMDID),
    NAME(TB_CHANGEBITMAP),
    NAME(TB_GETBITMAP),
    NAME(TB_GETBUTTONTEXTA),
    NAME(TB_REPLACEBITMAP),
    NAME(TB_SETINDENT),
    NAME(TB_SETIMAGELIST),
    NAME(TB_GETIMAGELIST),
    NAME(TB_LOADIMAGES),
    NAME(TB_GETRECT),
    NAME(TB_SETHOTIMAGELIST),
    NAME(TB_GETHOTIMAGELIST),
    NAME(TB_SETDISABLEDIMAGELIST),
    NAME(TB_GETDISABLEDIMAGELIST),
    NAME(TB_SETSTYLE),
    NAME(TB_GETSTYLE),
    NAME(TB_GETBUTTONSIZE),
    NAME(TB_SETBUTTONWIDTH),
    NAME(TB_SETMAXTEXTROWS),
    NAME(TB_GETTEXTROWS),
    NAME(TB_GETOBJECT),
    NAME(TB_GETBUTTONINFOW),
    NAME(TB_SETBUTTONINFOW),
    NAME(TB_GETBUTTONINFOA),
    NAME(TB_SETBUTTONINFOA),
    NAME(TB_INSERTBUTTONW),
    NAME(TB_ADDBUTTONSW),
    NAME(TB_HITTEST),
    NAME(TB_SETDRAWTEXTFLAGS),
    NAME(TB_GETHOTITEM),
    NAME(TB_SETHOTITEM),
    NAME(TB_SETANCHORHIGHLIGHT),
    NAME(TB_GETANCHORHIGHLIGHT),
    NAME(TB_GETBUTTONTEXTW),
    NAME(TB_SAVERESTOREW),
    NAME(TB_ADDSTRINGW),
    NAME(TB_MAPACCELERATORA),
    NAME(TB_GETINSERTMARK),
    NAME(TB_SETINSERTMARK),
    NAME(TB_INSERTMARKHITTEST),
    NAME(TB_MOVEBUTTON),
    NAME(TB_GETMAXSIZE),
    NAME(TB_SETEXTENDEDSTYLE),
    NAME(TB_GETEXTENDEDSTYLE),
    NAME(TB_GETPADDING),
    NAME(TB_SETPADDING),
    NAME(TB_SETINSERTMARKCOLOR),
    NAME(TB_GETINSERTMARKCOLOR),
    NAME(TB_MAPACCELERATORW),
    NAME(TB_GETSTRINGW),
    NAME(TB_GETSTRINGA),
    NAME(TB_GETMETRICS),
    NAME(TB_SETMETRICS),
    NAME(TB_GETIDEALSIZE),
    NAME(TB_SETLISTGAP),
    NAME(TB_GETIMAGELISTCOUNT),
    NAME(TB_SETHOTITEM2),
};

constexpr Name kRebarMessages[] = {
    NAME(RB_INSERTBANDA),      NAME(RB_DELETEBAND),     NAME(RB_GETBARINFO),
    NAME(RB_SETBARINFO),       NAME(RB_SETBANDINFOA),   NAME(RB_SETPARENT),
    NAME(RB_HITTEST),          NAME(RB_GETRECT),        NAME(RB_INSERTBANDW),
    NAME(RB_SETBANDINFOW),     NAME(RB_GETBANDCOUNT),   NAME(RB_GETROWCOUNT),
    NAME(RB_GETROWHEIGHT),     NAME(RB_IDTOINDEX),      NAME(RB_GETTOOLTIPS),
    NAME(RB_SETTOOLTIPS),      NAME(RB_SETBKCOLOR),     NAME(RB_GETBKCOLOR),
    NAME(RB_SETTEXTCOLOR),     NAME(RB_GETTEXTCOLOR),   NAME(RB_SIZETORECT),
    NAME(RB_BEGINDRAG),        NAME(RB_ENDDRAG),        NAME(RB_DRAGMOVE),
    NAME(RB_GETBARHEIGHT),     NAME(RB_GETBANDINFOW),   NAME(RB_GETBANDINFOA),
    NAME(RB_MINIMIZEBAND),     NAME(RB_MAXIMIZEBAND),   NAME(RB_GETBANDBORDERS),
    NAME(RB_SHOWBAND),         NAME(RB_SETPALETTE),     NAME(RB_GETPALETTE),
    NAME(RB_MOVEBAND),         NAME(RB_GETBANDMARGINS), NAME(RB_SETEXTENDEDSTYLE),
    NAME(RB_GETEXTENDEDSTYLE), NAME(RB_PUSHCHEVRON),    NAME(RB_SETBANDWIDTH),
};

constexpr Name kNotifyCodes[] = {
    NAME(NM_CLICK),           NAME(NM_DBLCLK),
    NAME(NM_RETURN),          NAME(NM_RCLICK),
    NAME(NM_RDBLCLK),         NAME(NM_SETFOCUS),
    NAME(NM_KILLFOCUS),       NAME(NM_CUSTOMDRAW),
    NAME(NM_HOVER),           NAME(NM_NCHITTEST),
    NAME(NM_KEYDOWN),         NAME(NM_RELEASEDCAPTURE),
    NAME(NM_SETCURSOR),       NAME(NM_CHAR),
    NAME(NM_TOOLTIPSCREATED), NAME(NM_LDOWN),
    NAME(NM_RDOWN),           NAME(NM_THEMECHANGED),
    NAME(RBN_HEIGHTCHANGE),   NAME(RBN_GETOBJECT),
    NAME(RBN_LAYOUTCHANGED),  NAME(RBN_AUTOSIZE),
    NAME(RBN_BEGINDRAG),      NAME(RBN_ENDDRAG),
    NAME(RBN_DELETINGBAND),   NAME(RBN_DELETEDBAND),
    NAME(RBN_CHILDSIZE),      NAME(RBN_CHEVRONPUSHED),
    NAME(RBN_MINMAX),         NAME(RBN_AUTOBREAK),
    NAME(TBN_GETBUTTONINFOA), NAME(TBN_BEGINDRAG),
    NAME(TBN_ENDDRAG),        NAME(TBN_BEGINADJUST),
    NAME(TBN_ENDADJUST),      NAME(TBN_RESET),
    NAME(TBN_QUERYINSERT),    NAME(TBN_QUERYDELETE),
    NAME(TBN_TOOLBARCHANGE),  NAME(TBN_CUSTHELP),
    NAME(TBN_DROPDOWN),       NAME(TBN_GETOBJECT),
    NAME(TBN_HOTITEMCHANGE),  NAME(TBN_DRAGOUT),
    NAME(TBN_DELETINGBUTTON), NAME(TBN_GETDISPINFOA),
    NAME(TBN_GETDISPINFOW),   NAME(TBN_GETINFOTIPA),
    NAME(TBN_GETINFOTIPW),    NAME(TBN_GETBUTTONINFOW),
    NAME(TBN_RESTORE),        NAME(TBN_SAVE),
    NAME(TBN_INITCUSTOMIZE),  NAME(TBN_WRAPHOTITEM),
    NAME(TBN_DUPACCELERATOR), NAME(TBN_WRAPACCELERATOR),
    NAME(TBN_DRAGOVER),       NAME(TBN_MAPACCELERATOR),
    NAME(TTN_GETDISPINFOA),   NAME(TTN_GETDISPINFOW),
    NAME(TTN_SHOW),           NAME(TTN_POP),
    NAME(TTN_LINKCLICK),
};

#undef NAME

template <std::size_t N>
const char* find(const Name (&table)[N], UINT value) {
    for (const Name& name : table)
        if (name.value == value) return name.text;
    return nullptr;
}

std::map<UINT, std::string>& registered() {
    static std::map<UINT, std::string> names;
    return names;
}

enum class Family { Unknown, Toolbar, Rebar, Other };

Family familyOf(HWND window) {
    char name[64] = {};
    if (window == nullptr || GetClassNameA(window, name, sizeof(name)) == 0) return Family::Unknown;
    if (lstrcmpiA(name, TOOLBARCLASSNAMEA) == 0) return Family::Toolbar;
    if (lstrcmpiA(name, REBARCLASSNAMEA) == 0) return Family::Rebar;
    return Family::Other;
}

std::string hex(UINT value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%04X", value);
    return text;
}

} // namespace

std::string messageName(UINT message, HWND window) {
    if (auto it = registered().find(message); it != registered().end()) return it->second;
    if (message < WM_USER) {
        const char* name = find(kWindowMessages, message);
        return name != nullptr ? name : hex(message);
    }
    const char* toolbar = find(kToolbarMessages, message);
    const char* rebar = find(kRebarMessages, message);
    switch (familyOf(window)) {
    case Family::Toolbar: return toolbar != nullptr ? toolbar : hex(message);
    case Family::Rebar: return rebar != nullptr ? rebar : hex(message);
    case Family::Other: return hex(message);
    case Family::Unknown: break;
    }
    if (toolbar != nullptr && rebar != nullptr) return std::string(toolbar) + "|" + rebar;
    if (toolbar != nullptr) return toolbar;
    if (rebar != nullptr) return rebar;
    return hex(message);
}

std::string notifyName(UINT code) {
    if (const char* name = find(kNotifyCodes, code)) return name;
    return std::to_string(static_cast<int>(code));
}

void registerMessageName(UINT message, const char* name) {
    registered()[message] = name;
}

} // namespace tarvik::test

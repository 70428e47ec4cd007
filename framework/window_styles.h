// The window styles a dialog template may name, with their Win32 values: one table for the
// template reader (framework/dialog_template.cpp) and the memory backend, checked against
// <windows.h> by the Win32 backend (framework/win32/win32_constants_win32.cpp).
#pragma once
#include <cstdint>
#include <string_view>

// X(name, value).
#define FW_WINDOW_STYLES(X) \
  X(WS_OVERLAPPED, 0) \
  X(WS_POPUP, 0x80000000) \
  X(WS_CHILD, 0x40000000) \
  X(WS_MINIMIZE, 0x20000000) \
  X(WS_VISIBLE, 0x10000000) \
  X(WS_DISABLED, 0x08000000) \
  X(WS_CLIPSIBLINGS, 0x04000000) \
  X(WS_CLIPCHILDREN, 0x02000000) \
  X(WS_MAXIMIZE, 0x01000000) \
  X(WS_CAPTION, 0x00C00000) \
  X(WS_BORDER, 0x00800000) \
  X(WS_DLGFRAME, 0x00400000) \
  X(WS_VSCROLL, 0x00200000) \
  X(WS_HSCROLL, 0x00100000) \
  X(WS_SYSMENU, 0x00080000) \
  X(WS_THICKFRAME, 0x00040000) \
  X(WS_GROUP, 0x00020000) \
  X(WS_TABSTOP, 0x00010000) \
  X(WS_EX_LEFT, 0) \
  X(WS_EX_NOPARENTNOTIFY, 0x4) \
  X(WS_EX_TRANSPARENT, 0x20) \
  X(WS_EX_CLIENTEDGE, 0x200) \
  X(WS_EX_CONTEXTHELP, 0x400) \
  X(WS_EX_RIGHT, 0x1000) \
  X(WS_EX_CONTROLPARENT, 0x10000) \
  X(WS_EX_STATICEDGE, 0x20000) \
  X(DS_ABSALIGN, 0x1) \
  X(DS_SYSMODAL, 0x2) \
  X(DS_3DLOOK, 0x4) \
  X(DS_FIXEDSYS, 0x8) \
  X(DS_NOFAILCREATE, 0x10) \
  X(DS_LOCALEDIT, 0x20) \
  X(DS_SETFONT, 0x40) \
  X(DS_MODALFRAME, 0x80) \
  X(DS_NOIDLEMSG, 0x100) \
  X(DS_SETFOREGROUND, 0x200) \
  X(DS_CONTROL, 0x400) \
  X(DS_CENTER, 0x800) \
  X(DS_CENTERMOUSE, 0x1000) \
  X(DS_CONTEXTHELP, 0x2000) \
  X(DS_SHELLFONT, 0x48) \
  X(ES_LEFT, 0) \
  X(ES_CENTER, 0x1) \
  X(ES_RIGHT, 0x2) \
  X(ES_MULTILINE, 0x4) \
  X(ES_UPPERCASE, 0x8) \
  X(ES_LOWERCASE, 0x10) \
  X(ES_PASSWORD, 0x20) \
  X(ES_AUTOVSCROLL, 0x40) \
  X(ES_AUTOHSCROLL, 0x80) \
  X(ES_NOHIDESEL, 0x100) \
  X(ES_OEMCONVERT, 0x400) \
  X(ES_READONLY, 0x800) \
  X(ES_WANTRETURN, 0x1000) \
  X(ES_NUMBER, 0x2000) \
  X(BS_PUSHBUTTON, 0) \
  X(BS_DEFPUSHBUTTON, 0x1) \
  X(BS_CHECKBOX, 0x2) \
  X(BS_AUTOCHECKBOX, 0x3) \
  X(BS_RADIOBUTTON, 0x4) \
  X(BS_3STATE, 0x5) \
  X(BS_AUTO3STATE, 0x6) \
  X(BS_GROUPBOX, 0x7) \
  X(BS_AUTORADIOBUTTON, 0x9) \
  X(BS_OWNERDRAW, 0xB) \
  X(BS_LEFTTEXT, 0x20) \
  X(BS_TEXT, 0) \
  X(BS_ICON, 0x40) \
  X(BS_BITMAP, 0x80) \
  X(BS_LEFT, 0x100) \
  X(BS_RIGHT, 0x200) \
  X(BS_CENTER, 0x300) \
  X(BS_TOP, 0x400) \
  X(BS_BOTTOM, 0x800) \
  X(BS_VCENTER, 0xC00) \
  X(BS_PUSHLIKE, 0x1000) \
  X(BS_MULTILINE, 0x2000) \
  X(BS_NOTIFY, 0x4000) \
  X(BS_FLAT, 0x8000) \
  X(SS_LEFT, 0) \
  X(SS_CENTER, 0x1) \
  X(SS_RIGHT, 0x2) \
  X(SS_ICON, 0x3) \
  X(SS_BLACKRECT, 0x4) \
  X(SS_GRAYRECT, 0x5) \
  X(SS_WHITERECT, 0x6) \
  X(SS_BLACKFRAME, 0x7) \
  X(SS_GRAYFRAME, 0x8) \
  X(SS_WHITEFRAME, 0x9) \
  X(SS_SIMPLE, 0xB) \
  X(SS_LEFTNOWORDWRAP, 0xC) \
  X(SS_BITMAP, 0xE) \
  X(SS_ETCHEDHORZ, 0x10) \
  X(SS_ETCHEDVERT, 0x11) \
  X(SS_ETCHEDFRAME, 0x12) \
  X(SS_NOPREFIX, 0x80) \
  X(SS_NOTIFY, 0x100) \
  X(SS_CENTERIMAGE, 0x200) \
  X(SS_REALSIZEIMAGE, 0x800) \
  X(SS_SUNKEN, 0x1000) \
  X(CBS_SIMPLE, 0x1) \
  X(CBS_DROPDOWN, 0x2) \
  X(CBS_DROPDOWNLIST, 0x3) \
  X(CBS_OWNERDRAWFIXED, 0x10) \
  X(CBS_OWNERDRAWVARIABLE, 0x20) \
  X(CBS_AUTOHSCROLL, 0x40) \
  X(CBS_OEMCONVERT, 0x80) \
  X(CBS_SORT, 0x100) \
  X(CBS_HASSTRINGS, 0x200) \
  X(CBS_NOINTEGRALHEIGHT, 0x400) \
  X(CBS_DISABLENOSCROLL, 0x800) \
  X(CBS_UPPERCASE, 0x2000) \
  X(CBS_LOWERCASE, 0x4000) \
  X(LBS_NOTIFY, 0x1) \
  X(LBS_SORT, 0x2) \
  X(LBS_NOREDRAW, 0x4) \
  X(LBS_MULTIPLESEL, 0x8) \
  X(LBS_HASSTRINGS, 0x40) \
  X(LBS_USETABSTOPS, 0x80) \
  X(LBS_NOINTEGRALHEIGHT, 0x100) \
  X(LBS_WANTKEYBOARDINPUT, 0x400) \
  X(LBS_EXTENDEDSEL, 0x800) \
  X(LBS_DISABLENOSCROLL, 0x1000) \
  X(LBS_NOSEL, 0x4000) \
  X(LBS_STANDARD, 0x00A00003) \
  X(LVS_ICON, 0) \
  X(LVS_REPORT, 0x1) \
  X(LVS_SMALLICON, 0x2) \
  X(LVS_LIST, 0x3) \
  X(LVS_SINGLESEL, 0x4) \
  X(LVS_SHOWSELALWAYS, 0x8) \
  X(LVS_SORTASCENDING, 0x10) \
  X(LVS_SORTDESCENDING, 0x20) \
  X(LVS_SHAREIMAGELISTS, 0x40) \
  X(LVS_NOLABELWRAP, 0x80) \
  X(LVS_AUTOARRANGE, 0x100) \
  X(LVS_EDITLABELS, 0x200) \
  X(LVS_OWNERDRAWFIXED, 0x400) \
  X(LVS_ALIGNLEFT, 0x800) \
  X(LVS_NOSCROLL, 0x2000) \
  X(LVS_NOCOLUMNHEADER, 0x4000) \
  X(LVS_NOSORTHEADER, 0x8000) \
  X(PBS_SMOOTH, 0x1) \
  X(PBS_VERTICAL, 0x4)

namespace fw {

struct WindowStyleName {
  std::string_view name;
  std::uint32_t value;
};

inline constexpr WindowStyleName kWindowStyles[] = {
#define FW_WINDOW_STYLE_ENTRY(name, value) {#name, value},
    FW_WINDOW_STYLES(FW_WINDOW_STYLE_ENTRY)
#undef FW_WINDOW_STYLE_ENTRY
};

// The value of a style the table names; a name it lacks is no constant expression, so a
// misspelt name fails the build where it is used as a constant.
constexpr std::uint32_t WindowStyle(std::string_view name) {
  for (const WindowStyleName& style : kWindowStyles)
    if (style.name == name) return style.value;
  throw "no such window style";
}

}  // namespace fw

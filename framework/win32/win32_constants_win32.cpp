// The Win32 values the portable code types again (so that logic reads like Win32 code without
// <windows.h>), checked here against the system's headers: a wrong value fails the build.
#include "framework/controls.h"
#include "framework/memory/memory_property_sheet.h"
#include "framework/messages.h"
#include "framework/page_events.h"
#include "framework/property_sheet.h"
#include "framework/win32/windows_h.h"
#include "framework/window_styles.h"

#include <type_traits>

namespace fw {
namespace {

#define FW_SAME(ours, theirs) \
  static_assert((ours) == static_cast<std::remove_cv_t<decltype(ours)>>(theirs), #ours " is not " #theirs);

// framework/messages.h
FW_SAME(msg::kNull, WM_NULL)
FW_SAME(msg::kCreate, WM_CREATE)
FW_SAME(msg::kDestroy, WM_DESTROY)
FW_SAME(msg::kClose, WM_CLOSE)
FW_SAME(msg::kQuit, WM_QUIT)
FW_SAME(msg::kSettingChange, WM_SETTINGCHANGE)
FW_SAME(msg::kPower, WM_POWER)
FW_SAME(msg::kCopyData, WM_COPYDATA)
FW_SAME(msg::kCommand, WM_COMMAND)
FW_SAME(msg::kTimer, WM_TIMER)
FW_SAME(msg::kMouseMove, WM_MOUSEMOVE)
FW_SAME(msg::kLButtonDown, WM_LBUTTONDOWN)
FW_SAME(msg::kLButtonUp, WM_LBUTTONUP)
FW_SAME(msg::kLButtonDblClk, WM_LBUTTONDBLCLK)
FW_SAME(msg::kRButtonDown, WM_RBUTTONDOWN)
FW_SAME(msg::kRButtonUp, WM_RBUTTONUP)
FW_SAME(msg::kRButtonDblClk, WM_RBUTTONDBLCLK)
FW_SAME(msg::kPowerBroadcast, WM_POWERBROADCAST)
FW_SAME(msg::kDeviceChange, WM_DEVICECHANGE)
FW_SAME(dbt::kDevNodesChanged, DBT_DEVNODES_CHANGED)
FW_SAME(dbt::kDeviceArrival, DBT_DEVICEARRIVAL)
FW_SAME(dbt::kDeviceRemoveComplete, DBT_DEVICEREMOVECOMPLETE)
FW_SAME(dbt::kDevTypDevNode, DBT_DEVTYP_DEVNODE)
FW_SAME(mb::kOk, MB_OK)
FW_SAME(mb::kOkCancel, MB_OKCANCEL)
FW_SAME(mb::kYesNo, MB_YESNO)
FW_SAME(mb::kYesNoCancel, MB_YESNOCANCEL)
FW_SAME(mb::kTypeMask, MB_TYPEMASK)
FW_SAME(mb::kIconQuestion, MB_ICONQUESTION)
FW_SAME(mb::kIconExclamation, MB_ICONEXCLAMATION)
FW_SAME(mb::kIconInformation, MB_ICONINFORMATION)
FW_SAME(mb::kIconError, MB_ICONERROR)
FW_SAME(mb::kIconMask, MB_ICONMASK)
FW_SAME(mb::kIdOk, IDOK)
FW_SAME(mb::kIdCancel, IDCANCEL)
FW_SAME(mb::kIdYes, IDYES)
FW_SAME(mb::kIdNo, IDNO)

// framework/controls.h
FW_SAME(em::kGetSel, EM_GETSEL)
FW_SAME(em::kSetSel, EM_SETSEL)
FW_SAME(em::kReplaceSel, EM_REPLACESEL)
FW_SAME(em::kLimitText, EM_LIMITTEXT)
FW_SAME(em::kSetPasswordChar, EM_SETPASSWORDCHAR)
FW_SAME(em::kSetReadOnly, EM_SETREADONLY)
FW_SAME(em::kGetPasswordChar, EM_GETPASSWORDCHAR)
FW_SAME(em::kGetLimitText, EM_GETLIMITTEXT)
FW_SAME(bm::kGetCheck, BM_GETCHECK)
FW_SAME(bm::kSetCheck, BM_SETCHECK)
FW_SAME(bm::kUnchecked, BST_UNCHECKED)
FW_SAME(bm::kChecked, BST_CHECKED)
FW_SAME(cb::kGetEditSel, CB_GETEDITSEL)
FW_SAME(cb::kLimitText, CB_LIMITTEXT)
FW_SAME(cb::kSetEditSel, CB_SETEDITSEL)
FW_SAME(cb::kAddString, CB_ADDSTRING)
FW_SAME(cb::kDeleteString, CB_DELETESTRING)
FW_SAME(cb::kGetCount, CB_GETCOUNT)
FW_SAME(cb::kGetCurSel, CB_GETCURSEL)
FW_SAME(cb::kInsertString, CB_INSERTSTRING)
FW_SAME(cb::kResetContent, CB_RESETCONTENT)
FW_SAME(cb::kSetCurSel, CB_SETCURSEL)
FW_SAME(cb::kFindStringExact, CB_FINDSTRINGEXACT)
FW_SAME(cb::kErr, CB_ERR)
FW_SAME(lb::kAddString, LB_ADDSTRING)
FW_SAME(lb::kInsertString, LB_INSERTSTRING)
FW_SAME(lb::kDeleteString, LB_DELETESTRING)
FW_SAME(lb::kResetContent, LB_RESETCONTENT)
FW_SAME(lb::kSetCurSel, LB_SETCURSEL)
FW_SAME(lb::kGetCurSel, LB_GETCURSEL)
FW_SAME(lb::kGetCount, LB_GETCOUNT)
FW_SAME(lb::kFindStringExact, LB_FINDSTRINGEXACT)
FW_SAME(pbm::kSetPos, PBM_SETPOS)
FW_SAME(pbm::kGetRangeLimit, PBM_GETRANGE)
FW_SAME(pbm::kGetPos, PBM_GETPOS)
FW_SAME(pbm::kSetRange32, PBM_SETRANGE32)
FW_SAME(lvm::kGetItemCount, LVM_GETITEMCOUNT)
FW_SAME(lvm::kDeleteItem, LVM_DELETEITEM)
FW_SAME(lvm::kDeleteAllItems, LVM_DELETEALLITEMS)
FW_SAME(lvm::kGetNextItem, LVM_GETNEXTITEM)
FW_SAME(lvm::kSetExtendedStyle, LVM_SETEXTENDEDLISTVIEWSTYLE)
FW_SAME(lvm::kGetExtendedStyle, LVM_GETEXTENDEDLISTVIEWSTYLE)
FW_SAME(lvm::kNextSelected, LVNI_SELECTED)
FW_SAME(lvm::kFullRowSelect, LVS_EX_FULLROWSELECT)
FW_SAME(lvcfmt::kLeft, LVCFMT_LEFT)
FW_SAME(lvcfmt::kRight, LVCFMT_RIGHT)
FW_SAME(lvcfmt::kCenter, LVCFMT_CENTER)

// framework/page_events.h
FW_SAME(en::kSetFocus, EN_SETFOCUS)
FW_SAME(en::kKillFocus, EN_KILLFOCUS)
FW_SAME(en::kChange, EN_CHANGE)
FW_SAME(en::kUpdate, EN_UPDATE)
FW_SAME(en::kMaxText, EN_MAXTEXT)
FW_SAME(bn::kClicked, BN_CLICKED)
FW_SAME(cbn::kSelChange, CBN_SELCHANGE)
FW_SAME(cbn::kDblClk, CBN_DBLCLK)
FW_SAME(cbn::kSetFocus, CBN_SETFOCUS)
FW_SAME(cbn::kKillFocus, CBN_KILLFOCUS)
FW_SAME(cbn::kEditChange, CBN_EDITCHANGE)
FW_SAME(cbn::kEditUpdate, CBN_EDITUPDATE)
FW_SAME(cbn::kDropDown, CBN_DROPDOWN)
FW_SAME(cbn::kCloseUp, CBN_CLOSEUP)
FW_SAME(lbn::kSelChange, LBN_SELCHANGE)
FW_SAME(nm::kClick, NM_CLICK)
FW_SAME(nm::kDblClk, NM_DBLCLK)
FW_SAME(nm::kRClick, NM_RCLICK)
FW_SAME(lvn::kItemChanging, LVN_ITEMCHANGING)
FW_SAME(lvn::kItemChanged, LVN_ITEMCHANGED)
FW_SAME(lvis::kFocused, LVIS_FOCUSED)
FW_SAME(lvis::kSelected, LVIS_SELECTED)
FW_SAME(beep::kDefault, MB_OK)
FW_SAME(beep::kExclamation, MB_ICONEXCLAMATION)
FW_SAME(mk::kShift, MK_SHIFT)
FW_SAME(mk::kControl, MK_CONTROL)

// framework/property_sheet.h (the Apply button and the help command are the application
// framework's numbers, not the system's: nothing to check them against)
FW_SAME(psh::kNoApplyNow, PSH_NOAPPLYNOW)
FW_SAME(psh::kHasHelp, PSH_HASHELP)
FW_SAME(psp::kHasHelp, PSP_HASHELP)
FW_SAME(tcs::kMultiline, TCS_MULTILINE)
FW_SAME(tcs::kOwnerDrawFixed, TCS_OWNERDRAWFIXED)
FW_SAME(psm::kSetCurSel, PSM_SETCURSEL)
FW_SAME(psm::kPressButton, PSM_PRESSBUTTON)
FW_SAME(psbtn::kOk, PSBTN_OK)
FW_SAME(psbtn::kApplyNow, PSBTN_APPLYNOW)
FW_SAME(psbtn::kCancel, PSBTN_CANCEL)
FW_SAME(psbtn::kHelp, PSBTN_HELP)
FW_SAME(sheetitem::kOk, IDOK)
FW_SAME(sheetitem::kCancel, IDCANCEL)
FW_SAME(sheetitem::kHelp, IDHELP)

// The memory backend's tab control as the common controls make it.
FW_SAME(MemorySheetBackend::kInitialTabStyle,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | WS_TABSTOP | TCS_MULTILINE)

// framework/window_styles.h: every style a dialog template may name (the template reader and
// the memory backend take their values from there).
#define FW_SAME_STYLE(name, value) \
  static_assert(WindowStyle(#name) == static_cast<std::uint32_t>(name), #name " differs from <windows.h>");
FW_WINDOW_STYLES(FW_SAME_STYLE)
#undef FW_SAME_STYLE

#undef FW_SAME

}  // namespace
}  // namespace fw

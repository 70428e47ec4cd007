#include "app/main_frame.h"

#include "app/os_kind.h"
#include "app/quorvel_app.h"
#include "core/config_utility.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "diag/trace.h"
#include "driver/nivo_driver.h"
#include "res/resource.h"

CMainFrame* gMainFrame = nullptr;
CConfigUtility* gConfigSheet = nullptr;
fw::Handle gPollingThreadObject = nullptr;
std::uint32_t gIconPressedMessage = 0;
std::uint32_t gElegantCloseMessage = 0;

namespace {
constexpr std::uint32_t kStartUpPauseMs = 500;
constexpr std::uint32_t kExitPauseMs = 1500;
constexpr std::uint32_t kAfterPageChangeMs = 500;
constexpr std::uint32_t kPowerQuerySuspend = 0;
constexpr std::uint32_t kPowerResumeCritical = 6;
constexpr std::uint32_t kPowerResumeSuspend = 7;
constexpr std::uint32_t kPowerResumeAutomatic = 18;
constexpr std::uint32_t kWinMeResumeStepMs = 50;
}  // namespace

void RegisterUtilityMessages() {
  gIconPressedMessage = fw::Sys().RegisterMessage("QUORVEL_ICON_PRESSED");
  gElegantCloseMessage = fw::Sys().RegisterMessage("ELEGANT_CLOSE");
}

void ReleaseConfigSheet() {
  delete gConfigSheet;
  gConfigSheet = nullptr;
}

CMainFrame::CMainFrame() {
  gMainFrame = this;
  ComputeSettingsFilePath();
  ReadDomainFile();
}

CMainFrame::~CMainFrame() {
  if (gMainFrame == this) gMainFrame = nullptr;
}

bool CMainFrame::Create(const char* title) {
  window_ = fw::Sys().CreateHiddenWindow(*this, title);
  return window_ != nullptr;
}

std::span<const fw::MessageRow<CMainFrame>> CMainFrame::MessageMap() {
  using fw::After;
  static const fw::MessageRow<CMainFrame> kMap[] = {
      fw::OnMessage<&CMainFrame::OnCreate>(fw::msg::kCreate),
      fw::OnMessage<&CMainFrame::OnDestroy>(fw::msg::kDestroy, After::kDefault),
      fw::OnMenuCommand<&CMainFrame::OnCommand>(),
      fw::OnMessage<&CMainFrame::OnClose>(fw::msg::kClose),
      fw::OnMessage<&CMainFrame::OnTimer>(fw::msg::kTimer, After::kDefault),
      fw::OnMessage<&CMainFrame::OnSettingChange>(fw::msg::kSettingChange),
      fw::OnMessage<&CMainFrame::OnDeviceChange>(fw::msg::kDeviceChange),
      // Every power message also gets the default processing.
      fw::OnMessage<&CMainFrame::OnPowerEvent>(fw::msg::kPowerBroadcast, After::kDefault),
      fw::OnMessage<&CMainFrame::OnPowerEvent>(fw::msg::kPower, After::kDefault),
      fw::OnRegisteredMessage<&CMainFrame::OnTrayNotification>(&gIconPressedMessage),
      fw::OnRegisteredMessage<&CMainFrame::ExitUtility>(&gElegantCloseMessage),
  };
  return kMap;
}

int CMainFrame::OnCreate(fw::Handle window) {
  window_ = window;
  fw::Platform& sys = fw::Sys();
  DetectOsKind();
  fw::VersionRecord version;
  gIsWindowsMe = sys.QueryVersion(version) && IsWindowsMeVersion(version) ? 1 : 0;

  // Only the object: its window exists only while it is shown.
  gConfigSheet = new CConfigUtility(kUtilityTitle, nullptr, 0);
  Nivo().NIVO_Init("Halden", 0);
  gPollingHost = this;
  gPollingThreadObject = sys.StartThread(PollingThread::ThreadMain, &gConfigSheet);
  sys.Sleep(kStartUpPauseMs);
  return 0;
}

// ------------------------------------------------------------------ tray icon

bool CMainFrame::FillTrayRecord(std::uint32_t iconId, fw::TrayIconRecord& record) const {
  record.window = window_;
  record.iconId = kTrayIconUid;
  record.flags = fw::nim::kFlagMessage | fw::nim::kFlagIcon | fw::nim::kFlagTip;
  record.callbackMessage = gIconPressedMessage;
  record.icon = fw::Sys().LoadIcon(iconId);
  record.tip = kUtilityTitle;
  return record.icon != nullptr;
}

bool CMainFrame::ModifyIconAtTaskbar(std::uint32_t iconId) {
  if (iconId == IDI_REMOVE_ICON) {
    if (gIconInTray == 1) {
      TraceMessage(" <ModifyIconAtTaskbar>:Remove ICON ");
      gIconInTray = 0;
      shownIconId_ = 0;
      RemoveIconFromTaskbar();
      HideConfigSheet();
    }
    return true;
  }
  if (gIconInTray == 0) {
    TraceMessage(" <ModifyIconAtTaskbar>:Add ICON ");
    gIconInTray = 1;
    shownIconId_ = iconId;
    AddIconToTaskbar(iconId);
    return true;
  }
  // The polling thread reports the link every second: the shell is asked again only when
  // the picture changes, which keeps the idle utility from redrawing the tray each second.
  if (iconId == shownIconId_) return true;
  fw::TrayIconRecord record;
  if (!FillTrayRecord(iconId, record)) return true;  // no such picture: the icon stays
  const bool modified = fw::Sys().NotifyIcon(fw::nim::kModify, record);
  if (modified) shownIconId_ = iconId;
  return modified;
}

bool CMainFrame::AddIconToTaskbar(std::uint32_t iconId) {
  fw::TrayIconRecord record;
  FillTrayRecord(iconId, record);
  return fw::Sys().NotifyIcon(fw::nim::kAdd, record);
}

bool CMainFrame::RemoveIconFromTaskbar() {
  TraceMessage("<RemoveIconFromTaskbar>");
  fw::TrayIconRecord record;
  record.window = window_;
  record.iconId = kTrayIconUid;
  return fw::Sys().NotifyIcon(fw::nim::kDelete, record);
}

void CMainFrame::OnTrayNotification(fw::LParam mouseMessage) {
  fw::Platform& sys = fw::Sys();
  switch (static_cast<std::uint32_t>(mouseMessage)) {
    case fw::msg::kLButtonDblClk:
      if (gSheetOpen == 0 && gDevicePresent != 0) {
        ShowConfigSheet();
      } else if (gSheetOpen == 1) {
        fw::Handle open = sys.FindWindow(nullptr, kUtilityTitle);
        if (open != nullptr) sys.SetForegroundWindow(open);
        if (gConfigSheet != nullptr) sys.SetActiveWindow(gConfigSheet->window());
      }
      break;
    case fw::msg::kRButtonUp:
      ShowTrayMenu();
      break;
    default:
      break;
  }
}

void CMainFrame::ShowTrayMenu() {
  fw::Platform& sys = fw::Sys();
  int x = 0, y = 0;
  sys.GetCursorPos(x, y);
  std::vector<fw::MenuItem> items;
  if (gDevicePresent == 1) {
    if (gSheetOpen == 1)
      items.push_back({ID_HIDE_CONFIG_UTILITY, sys.LoadString(IDS_MENU_HIDE)});
    else
      items.push_back({ID_SHOW_CONFIG_UTILITY, sys.LoadString(IDS_MENU_SHOW)});
    items.push_back({});  // separator
  }
  items.push_back({ID_EXIT_UTILITY, sys.LoadString(IDS_MENU_EXIT)});
  sys.SetForegroundWindow(window_);
  sys.TrackPopupMenu(window_, items, x, y);
  sys.PostMessage(window_, fw::msg::kNull, 0, 0);
}

// ------------------------------------------------------------------ configuration window

void CMainFrame::ShowConfigSheet() {
  if (AdjustPagesByXPWZC(1) == 1) fw::WaitAndPumpMessages(kAfterPageChangeMs);
  // An exit or close that arrived during that pause has destroyed the frame (and ended the
  // library): the window is not opened any more.
  if (window_ == nullptr) return;
  gConfigSheet->DoModal(window_);
  gSheetOpen = 0;
  if (gZeroConfigActive == 0) gConfigSheet->configPage.m_bListsBuilt = false;
  gConfigSheet->siteSurveyPage.m_bColumnsBuilt = false;
}

void CMainFrame::HideConfigSheet() {
  if (gConfigSheet == nullptr || gSheetOpen != 1 || !gConfigSheet->IsVisible()) return;
  gConfigSheet->EndModalLoop(fw::mb::kIdCancel);
  gConfigSheet->EndModalState();
}


// ------------------------------------------------------------------ commands and exit

void CMainFrame::OnCommand(std::uint32_t id) {
  fw::Platform& sys = fw::Sys();
  switch (id) {
    case ID_HIDE_CONFIG_UTILITY:
      HideConfigSheet();
      break;
    case ID_SHOW_CONFIG_UTILITY:
      if (gDevicePresent == 0) {
        sys.MessageBox(window_, sys.LoadString(IDS_CARD_NOT_PRESENT), sys.LoadString(AFX_IDS_APP_TITLE),
                       fw::mb::kOk | fw::mb::kIconInformation);
        break;
      }
      if (gSheetOpen == 1) break;
      ShowConfigSheet();
      break;
    case ID_EXIT_UTILITY:
      ExitUtility();
      break;
    default:
      break;
  }
}

void CMainFrame::ExitUtility() {
  fw::Platform& sys = fw::Sys();
  RemoveIconFromTaskbar();
  gStopPolling = 1;
  // Wait for a library call of the polling thread to return and refuse new ones, so the
  // thread is never suspended inside the library and NIVO_Terminate cannot overlap it.
  Nivo().BeginShutdown();
  if (gPollingThreadObject != nullptr) sys.SuspendThread(gPollingThreadObject);
  sys.Sleep(kExitPauseMs);
  HideConfigSheet();
  Nivo().FinishShutdown();
  fw::Handle frame = window_;
  if (frame != nullptr) sys.DestroyWindow(frame);
}

void CMainFrame::OnDestroy() {
  window_ = nullptr;
  fw::Sys().PostQuit(0);
}

void CMainFrame::OnClose() {
  RemoveIconFromTaskbar();
  fw::Sys().DestroyWindow(window_);
}

void CMainFrame::OnTimer(std::uintptr_t id) {
  fw::Sys().KillTimer(window_, kArrivalTimerId);
  gDevicePresent = 1;
  gReapplyRequest = 1;
}

// Setting changes are consumed: nothing the utility shows follows them.
void CMainFrame::OnSettingChange() {}

void CMainFrame::OnPowerEvent(fw::WParam code) {
  fw::Platform& sys = fw::Sys();
  switch (code) {
    case kPowerQuerySuspend:
    case kPowerResumeCritical:
    case kPowerResumeAutomatic:
      gPowerResumed = 1;
      break;
    case kPowerResumeSuspend:
      if (OsKind == kOsWindows98Me && gIsWindowsMe == 1 && gPollingThreadObject != nullptr) {
        // Windows Me can leave the thread stopped across a resume: nudge it awake.
        sys.SuspendThread(gPollingThreadObject);
        sys.Sleep(kWinMeResumeStepMs);
        sys.ResumeThread(gPollingThreadObject);
        sys.Sleep(kWinMeResumeStepMs);
        sys.ResumeThread(gPollingThreadObject);
        gDevicePresent = 1;
      }
      gPowerResumed = 1;
      break;
    default:
      break;
  }
}

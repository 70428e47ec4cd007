#include "core/polling_thread.h"

#include <cstring>

#include "app/os_kind.h"
#include "core/config_utility.h"
#include "core/detect_info.h"
#include "core/shared_state.h"
#include "diag/trace.h"
#include "driver/nivo_driver.h"
#include "framework/platform.h"
#include "res/resource.h"

PollingHost* gPollingHost = nullptr;
int PollingThread::cycleCounter = 0;

namespace {

constexpr std::uint32_t kCardWaitStepMs = 1000;
constexpr std::uint32_t kSettleAfterReadMs = 100;
constexpr std::uint32_t kPreventBlueMs = 500;
constexpr std::uint32_t kCycleSleepMs = 1000;
constexpr std::uint32_t kWin98KeysAfterReapplyMs = 3000;
constexpr std::uint32_t kWin98KeysAfterPushMs = 500;
constexpr std::uint32_t kWin98SettleAfterKeysMs = 1500;
constexpr int kCyclesPerPageCheck = 3;
constexpr std::uint32_t kMediaStatusBytes = 4;

// The thread's switched-off step lines: kept in place, emitted only if the mask is opened.
constexpr std::uint32_t kStepTraceMask = 0;
#define POLL_STEP(...) TraceMessageIf(kTraceCategoryPolling, kStepTraceMask, __VA_ARGS__)

bool ClosesSheetOnCardLoss() { return OsKind == kOsWindows2000 || OsKind == kOsWindowsXP; }

}  // namespace

PollingThread::PollingThread(CConfigUtility& sheet, PollingHost& host) : sheet_(sheet), host_(host) {}

bool PollingThread::StartUp() {
  fw::Platform& sys = fw::Sys();
  gDevicePresent = 0;
  FillDetectInfo(gDetectInfo);
  TraceMessage("<M> NIVO_Detect BY (polling thread, first time only)");
  if (Nivo().NIVO_Detect(&gDetectInfo) == kNivoCardPresent) gDevicePresent = 1;

  // The main thread's device-change handling may find the card meanwhile.
  while (gStopPolling == 0 && gDevicePresent != 1) sys.Sleep(kCardWaitStepMs);
  if (gStopPolling != 0) return false;

  host_.ModifyIconAtTaskbar(IDI_NO_LINK);
  Nivo().NIVO_SetProfileRoot(kProfileRoot);
  std::memset(profileName_, 0, sizeof(profileName_));
  if (Nivo().NIVO_GetActiveProfileByType(profileName_, kProfileTypeWireless) == kNivoNoActiveProfile) {
    sheet_.FillDefaultProfile(sheet_.profile);
    Nivo().NIVO_SetActiveProfileByType(kDefaultProfileName, kProfileTypeWireless);
    Nivo().NIVO_SetProfileWireless(kDefaultProfileName, &sheet_.profile);
  } else {
    profileName_[sizeof(profileName_) - 1] = '\0';
    Nivo().NIVO_GetProfileWireless(profileName_, &sheet_.profile);
    sheet_.ApplyProfileToDriver();
    firstPass_ = true;
  }
  return true;
}

void PollingThread::PushKeysOnly() {
  WlanConfig scratch{};
  std::uint32_t flags = 0;
  if (!sheet_.BuildWepKeys(scratch, flags)) return;
  Nivo().NIVO_SetWLANConfig(&flags, &scratch);
  sheet_.FreeWepKeys(scratch);
}

void PollingThread::PushChangedSettings() {
  fw::Platform& sys = fw::Sys();
  const ProfileWireless& profile = sheet_.profile;
  POLL_STEP("<t> gChangeParametersRequest cause to set new values\n");
  gChangeParametersRequest = 0;

  std::uint32_t flags = wlflag::kConfiguration;
  Nivo().NIVO_GetWLANConfig(&flags, &hostInfo_);
  sys.Sleep(kSettleAfterReadMs);

  hostInfo_.configuration.DSConfig =
      static_cast<std::uint32_t>(Nivo().NIVO_ChannelToFrequency(profile.channel));
  RateCodeToRates(profile.rateCode, hostInfo_.supportedRates);
  hostInfo_.GMode = profile.GMode;
  POLL_STEP("<t> pHostInfo->GMode =%i", hostInfo_.GMode);
  hostInfo_.infrastructureMode = profile.operatingMode;
  CopySsidToConfig(profile, hostInfo_);
  hostInfo_.powerMode = profile.powerSaveMode;

  if (sheet_.ApplyChangedConfig(hostInfo_)) {
    if (OsKind == kOsWindows98Me) {
      sys.Sleep(kWin98KeysAfterPushMs);
      PushKeysOnly();
      sys.Sleep(kWin98SettleAfterKeysMs);
    }
    Nivo().NIVO_SetDriverReg(&sheet_.profile);
  } else {
    // The thread waits here until the user dismisses the box: no cycle starts meanwhile.
    sys.MessageBox(nullptr, sys.LoadString(IDS_DEVICE_CHANGE_FAILED), sys.LoadString(AFX_IDS_APP_TITLE),
                   fw::mb::kOk);
  }
}

void PollingThread::FollowConnectStatus() {
  POLL_STEP("<t> NIVO_QueryOID(OID_GEN_MEDIA_CONNECT_STATUS,");
  std::uint32_t written = 0;
  const std::int32_t status = Nivo().NIVO_QueryOID(kOidGenMediaConnectStatus, &hostInfo_.mediaConnectStatus,
                                                   kMediaStatusBytes, &written);
  if (status == 0 && written == kMediaStatusBytes) {
    PresenceGuard presence(gPresenceLock);
    // A removal handled by the window thread since this cycle began stands: the reading is
    // older than it.
    if (gDevicePresent == 0) return;
    host_.ModifyIconAtTaskbar(hostInfo_.mediaConnectStatus == kMediaConnected ? IDI_LINK_UP : IDI_NO_LINK);
    return;
  }
  // On Windows 2000 and XP the card's removal reaches us through device-change handling.
  if (OsKind == kOsWindows2000 || OsKind == kOsWindowsXP) return;
  POLL_STEP("<t> Before gDevicePresent = TRUE;");
  TraceMessage("<M> NIVO_Detect BY (polling thread, OID_GEN_MEDIA_CONNECT_STATUS)");
  if (Nivo().NIVO_Detect(&gDetectInfo) != kNivoCardPresent) {
    PresenceGuard presence(gPresenceLock);
    host_.ModifyIconAtTaskbar(IDI_REMOVE_ICON);
    gDevicePresent = 0;
  }
}

void PollingThread::LoseCard() {
  {
    PresenceGuard presence(gPresenceLock);
    // The window thread may have handled the card's insertion since this cycle read the
    // flag: the card is back, and its icon stays.
    if (gDevicePresent != 0) return;
    host_.ModifyIconAtTaskbar(IDI_REMOVE_ICON);
  }
  if (ClosesSheetOnCardLoss() && gSheetOpen != 0) {
    sheet_.EndModalLoop(1);
    sheet_.EndModalState();
  }
}

// The polling side of the hand-shake: returns with `forground` reset once no page uses the
// library, or after 2000 ms (a time-out is not an error). A page announces its exchange by
// resetting `background` and then waits for `forground`; when both sides announce at the same
// moment, each would wait the full 2000 ms for the other and then both would use the library
// at once. So the page goes first: while this thread waits, `forground` is set, and it is
// reset again before `background` is checked, so a page that starts later waits for the cycle.
void PollingThread::HoldPagesOff() {
  fw::Platform& sys = fw::Sys();
  const std::uint32_t start = sys.TickCount();
  for (;;) {
    sys.ResetEvent(sheet_.forground);
    if (sys.WaitForEvent(sheet_.background, 0)) return;
    const std::uint32_t waited = sys.TickCount() - start;
    if (waited >= CConfigUtility::kHandshakeWaitMs) return;
    sys.SetEvent(sheet_.forground);
    sys.WaitForEvent(sheet_.background, CConfigUtility::kHandshakeWaitMs - waited);
  }
}

void PollingThread::RunCycle() {
  fw::Platform& sys = fw::Sys();
  if (gPowerResumed == 1) {
    gPowerResumed = 0;
    gReapplyRequest = 1;
    gDevicePresent = 1;
  }

  POLL_STEP("<t> ResetEvent(pDlg->forground)");
  POLL_STEP("<t> WaitForSingleObject(pDlg->background, 2000);");
  HoldPagesOff();

  if (gDevicePresent != 0) {
    if (gReapplyRequest == 1) {
      sheet_.ApplyProfileToDriver();
      gReapplyRequest = 0;
      gChangeParametersRequest = 0;
      if (OsKind == kOsWindows98Me) {
        sys.Sleep(kWin98KeysAfterReapplyMs);
        PushKeysOnly();
        sys.Sleep(kWin98SettleAfterKeysMs);
      }
      // The next cycle starts at once: no status query, no forground, no sleep.
      return;
    }
    if (firstPass_) {
      // A request made before the first cycle after a loaded start is dropped.
      firstPass_ = false;
      gChangeParametersRequest = 0;
    }
    if (gChangeParametersRequest != 0) PushChangedSettings();

    POLL_STEP("<t> Before PreventBlue");
    sys.Sleep(kPreventBlueMs);
    FollowConnectStatus();

    if (++cycleCounter >= kCyclesPerPageCheck) {
      cycleCounter = 0;
      host_.AdjustPagesByXPWZC(0);
    }
  } else {
    LoseCard();
  }

  POLL_STEP("<t> Before SetEvent(pDlg->forground)");
  sys.SetEvent(sheet_.forground);
  sys.Sleep(kCycleSleepMs);
}

void PollingThread::Run() {
  if (!StartUp()) return;
  while (gStopPolling == 0) RunCycle();
}

void PollingThread::ThreadMain(void* argument) {
  CConfigUtility* sheet = *static_cast<CConfigUtility**>(argument);
  if (sheet == nullptr || gPollingHost == nullptr) return;
  PollingThread thread(*sheet, *gPollingHost);
  thread.Run();
}

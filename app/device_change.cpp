// The main frame's side of the card's comings and goings: device-change events, and the
// page set that follows XP's wireless zero configuration.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <string>

#include "app/main_frame.h"
#include "app/os_kind.h"
#include "core/config_utility.h"
#include "core/detect_info.h"
#include "core/shared_state.h"
#include "diag/trace.h"
#include "driver/nivo_driver.h"

int gFirstArrivalPending = 1;
std::atomic<int> gAdjustPagesLock{0};

namespace {

constexpr std::uint32_t kRemovalSettleMs = 3000;
constexpr int kFullPageCount = 5;
constexpr int kZeroConfigPageCount = 3;

std::string ToUpper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool IsWindows98() { return OsKind == kOsWindows98Me && gIsWindowsMe == 0; }
bool Is95Family() { return OsKind == kOsWindows95 || OsKind == kOsWindows98Me; }

// The device broadcast header: size, device type, reserved; a device node follows for type 1.
struct DeviceBroadcast {
  std::uint32_t size;
  std::uint32_t deviceType;
  std::uint32_t reserved;
  std::uint32_t devNode;
};

const DeviceBroadcast* BroadcastOf(fw::LParam eventData) {
  return reinterpret_cast<const DeviceBroadcast*>(eventData);
}

bool IsDeviceNode(fw::LParam eventData) {
  const DeviceBroadcast* header = BroadcastOf(eventData);
  return header != nullptr && header->deviceType == fw::dbt::kDevTypDevNode;
}

}  // namespace

bool CMainFrame::IsCardEvent(fw::LParam eventData) const {
  const std::string identifier =
      ToUpper(fw::Sys().DeviceNodeIdentifier(BroadcastOf(eventData)->devNode, Is95Family()));
  if (Contains(identifier, "NETWORK\\")) return false;
  if (!Contains(identifier, "PCI\\") && !Contains(identifier, "PCMCIA\\") && !Contains(identifier, "USB\\"))
    return false;
  const std::string target = ToUpper(std::string(gDetectInfo.hardwareId, strnlen(gDetectInfo.hardwareId,
                                                                                  sizeof(gDetectInfo.hardwareId))));
  TraceMessage("<M> targetid = <%s> ", target.c_str());
  return target.empty() || Contains(identifier, target.c_str());
}

void CMainFrame::OnDevNodesChanged() {
  if (IsWindows98()) return;
  TraceMessage("<M> DBT_DEVNODES_CHANGED ");
  TraceMessage("<M> NIVO_Detect BY (DBT_DEVNODES_CHANGED)");
  if (Nivo().NIVO_Detect(&gDetectInfo) == kNivoCardPresent) {
    TraceMessage("<M> Detect  YES \n");
    PresenceGuard presence(gPresenceLock);
    if (gDevicePresent != 1) {
      ModifyIconAtTaskbar(IDI_NO_LINK);
      gReapplyRequest = 1;
      gDevicePresent = 1;
    }
  } else {
    // The icon stays: the polling thread removes it and closes the window.
    TraceMessage("<M> Detect  NO \n");
    PresenceGuard presence(gPresenceLock);
    gDevicePresent = 0;
  }
}

void CMainFrame::OnDeviceArrival(fw::LParam eventData) {
  TraceMessage("<M> DBT_DEVICEARRIVAL ");
  if (!IsDeviceNode(eventData)) return;
  if (OsKind == kOsWindows98Me && gFirstArrivalPending != 0) {
    gFirstArrivalPending = 0;
    return;
  }
  if (!IsCardEvent(eventData)) return;
  TraceMessage("<M> NIVO_Detect BY (DBT_DEVICEARRIVAL)");
  if (Nivo().NIVO_Detect(&gDetectInfo) == kNivoCardPresent) {
    TraceMessage("<M> Detect  YES \n");
    fw::Sys().SetTimer(window(), kArrivalTimerId, kArrivalTimerMs);
    PresenceGuard presence(gPresenceLock);
    if (gDevicePresent != 1) {
      ModifyIconAtTaskbar(IDI_NO_LINK);
      gDevicePresent = 1;
    }
  } else {
    TraceMessage("<M> Detect  NO \n");
  }
}

void CMainFrame::OnDeviceRemoveComplete(fw::LParam eventData) {
  TraceMessage(" DBT_DEVICEREMOVECOMPLETE ");
  if (!IsDeviceNode(eventData)) return;
  if (!IsCardEvent(eventData)) return;
  TraceMessage("<M> NIVO_Detect BY (DBT_DEVICEREMOVECOMPLETE)");
  if (gPowerResumed != 0 && OsKind == kOsWindows98Me) {
    // Windows 98/Me reports a removal on resume: let it settle, no detection.
    fw::WaitAndPumpMessages(kRemovalSettleMs);
    gPowerResumed = 0;
    PresenceGuard presence(gPresenceLock);
    gDevicePresent = 0;
    return;
  }
  if (Nivo().NIVO_Detect(&gDetectInfo) == kNivoCardPresent) {
    TraceMessage(" Detect  YES \n");
    PresenceGuard presence(gPresenceLock);
    ModifyIconAtTaskbar(IDI_NO_LINK);
    gDevicePresent = 1;
  } else {
    TraceMessage(" Detect  NO \n");
    {
      PresenceGuard presence(gPresenceLock);
      ModifyIconAtTaskbar(IDI_REMOVE_ICON);
      gDevicePresent = 0;
    }
    HideConfigSheet();
  }
}

int CMainFrame::OnDeviceChange(std::uint32_t eventType, fw::LParam eventData) {
  TraceMessage("<M> OnDeviceChange::   ");
  switch (eventType) {
    case fw::dbt::kDevNodesChanged:
      OnDevNodesChanged();
      break;
    case fw::dbt::kDeviceArrival:
      OnDeviceArrival(eventData);
      break;
    case fw::dbt::kDeviceRemoveComplete:
      OnDeviceRemoveComplete(eventData);
      break;
    default:
      break;
  }
  return 1;
}

int CMainFrame::AdjustPagesByXPWZC(int apply) {
  TraceMessage("::AdjustPagesByXPWZC::");
  // Test-and-set in one step: the polling thread and the window thread both come here.
  if (gAdjustPagesLock.exchange(1) != 0) {
    TraceMessage("Locked!! return");
    return 0;
  }
  fw::Platform& sys = fw::Sys();
  sys.ResetEvent(gConfigSheet->background);  // holds the polling thread off
  int result = 0;
  if (OsKind == kOsWindowsXP) {
    std::int32_t zeroConfig = 0;
    Nivo().NIVO_Get_XPWZC(&zeroConfig);
    gZeroConfigActive = zeroConfig != 0 ? 1 : 0;
    const int pages = gConfigSheet->GetPageCount();
    if (zeroConfig != 0 && pages >= kFullPageCount) {
      HideConfigSheet();
      if (apply != 0) {
        TraceMessage("5/6==> 3,  Remove Pages");
        gConfigSheet->RemovePage(&gConfigSheet->configPage);
        gConfigSheet->RemovePage(&gConfigSheet->encryptionPage);
      }
      result = 1;
    } else if (zeroConfig == 0 && pages <= kZeroConfigPageCount) {
      HideConfigSheet();
      if (apply != 0) {
        TraceMessage("3==> 5/6,  Remove Pages");
        gConfigSheet->RemovePage(&gConfigSheet->aboutPage);
        gConfigSheet->RemovePage(&gConfigSheet->siteSurveyPage);
        TraceMessage("3==> 5/6,  Add Pages");
        gConfigSheet->AddPage(&gConfigSheet->configPage);
        gConfigSheet->AddPage(&gConfigSheet->siteSurveyPage);
        gConfigSheet->AddPage(&gConfigSheet->encryptionPage);
        gConfigSheet->AddPage(&gConfigSheet->aboutPage);
      }
      result = 1;
    }
  }
  sys.SetEvent(gConfigSheet->background);
  gAdjustPagesLock = 0;
  return result;
}

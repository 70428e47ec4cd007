#include "pages/about_page.h"

#include <cstdio>
#include <cstring>

#include "core/config_utility.h"
#include "diag/trace.h"
#include "driver/nivo_driver.h"
#include "res/product_texts.h"
#include "res/version.h"

namespace {
constexpr int kFirmwareReadAttempts = 4;
constexpr std::uint32_t kFirmwareRetryPauseMs = 3;
constexpr char kNoFirmwareText[] = "---";
constexpr std::uint32_t kPlatformNT = 2;
constexpr int kGestureCorner = 3;                  // x and y at most 3
constexpr char kLibraryFileName[] = "\\NIVO3.DLL";
}  // namespace

std::span<const fw::Handler<CAboutPage>> CAboutPage::Handlers() {
  static const fw::Handler<CAboutPage> kTable[] = {
      fw::OnMouseMove(&CAboutPage::OnMouseMove),
      fw::OnContextHelp(&CAboutPage::OnHelpInfo),
      fw::OnPaint(&CAboutPage::OnPaint),
  };
  return kTable;
}

const char* DriverServiceName(const fw::VersionRecord& version) {
  if (version.platformId != kPlatformNT) return "PCANDIS3";
  return version.major == 5 ? "PCANDIS5" : "PCANDIS4";
}

void CAboutPage::DoDataExchange(fw::DataExchange& dx) {
  dx.Text(IDC_ABOUT_UTILITY_VERSION, m_utilityVersion);
  dx.Text(IDC_ABOUT_DRIVER_VERSION, m_driverVersion);
  dx.Text(IDC_ABOUT_FIRMWARE_VERSION, m_firmwareVersion);
  dx.Text(IDC_ABOUT_PRODUCT, m_productText);
  dx.Text(IDC_ABOUT_NOTICE, m_noticeText);
}

bool CAboutPage::OnSetActive() {
  fw::Platform& sys = fw::Sys();
  m_productText = kUtilityTitle;
  m_noticeText = sys.LoadString(IDS_NOTICE_LINE);

  m_firmwareVersion = ReadFirmwareVersion();

  // The system family names the driver's service in the trace; nothing else uses it.
  systemVersion = fw::VersionRecord{};
  sys.QueryVersion(systemVersion);
  TraceMessage("Retrieve the Driver version from %s", DriverServiceName(systemVersion));

  ReadDriverVersion();
  m_driverVersion = driverVersionText;

  char utility[32];
  std::snprintf(utility, sizeof(utility), "%d.%d.%d.%d", TW_VERSION_MAJOR, TW_VERSION_MINOR, TW_VERSION_RELEASE,
                TW_VERSION_BUILD);
  m_utilityVersion = utility;

  UpdateData(false);
  return Page::OnSetActive();
}

std::string CAboutPage::ReadFirmwareVersion() {
  // Inside the hand-shake: the polling thread is held off while the card is asked.
  auto* window = dynamic_cast<CConfigUtility*>(sheet());
  if (window != nullptr) window->BeginLibraryUse();
  WlanConfig config;
  std::memset(&config, 0, sizeof(config));
  std::uint32_t dwWLFlag = 0;
  for (int call = 0; call < kFirmwareReadAttempts; ++call) {
    dwWLFlag = wlflag::kFirmwareVersion;
    Nivo().NIVO_GetWLANConfig(&dwWLFlag, &config);
    fw::Sys().Sleep(kFirmwareRetryPauseMs);
    if (dwWLFlag == 0) break;
  }
  std::string text = kNoFirmwareText;
  if (dwWLFlag == 0) {
    // A text without its terminator within the field is cut at 79 characters.
    const void* nul = std::memchr(config.firmwareVersion, '\0', sizeof(config.firmwareVersion));
    const std::size_t length = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - config.firmwareVersion)
                                              : sizeof(config.firmwareVersion) - 1;
    text.assign(config.firmwareVersion, length);
  }
  if (window != nullptr) window->EndLibraryUse();
  return text;
}

void CAboutPage::ReadDriverVersion() {
  const std::string windowsDirectory = fw::Sys().WindowsDirectory();
  char path[kDriverPathBufferSize] = {};
  std::memcpy(path, windowsDirectory.data(), std::min(windowsDirectory.size(), sizeof(path) - 1));
  TraceMessage("NIVO_GetWLANDriverPath: %s\n", path);
  if (Nivo().NIVO_GetWLANDriverPath(path) != 1) {
    driverVersionText.clear();
    return;
  }
  // The library answers a path relative to the Windows directory; one not terminated within
  // the buffer is cut at its end.
  path[sizeof(path) - 1] = '\0';
  TraceMessage("After NIVO_GetWLANDriverPath: [%s]\n", path);
  const std::string fullPath = windowsDirectory + "\\" + path;
  TraceMessage("GetFileVersion: [%s]\n", fullPath.c_str());
  fw::FixedFileInfo info;
  if (auto text = ReadFileVersionText(fullPath, &info)) {
    fixedFileInfo = info;
    driverVersionText = *text;
  }
}

std::optional<std::string> CAboutPage::ReadFileVersionText(const std::string& path, fw::FixedFileInfo* fixedInfo) {
  fw::FixedFileInfo info;
  if (!fw::Sys().ReadFileVersion(path, info)) return std::nullopt;
  if (fixedInfo != nullptr) *fixedInfo = info;
  char text[48];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", info.fileVersionMS >> 16, info.fileVersionMS & 0xFFFF,
                info.fileVersionLS >> 16, info.fileVersionLS & 0xFFFF);
  return std::string(text);
}

void CAboutPage::OnMouseMove(const fw::MouseMove& move) {
  if (!move.ctrl || !move.shift || move.x > kGestureCorner || move.y > kGestureCorner) return;
  fw::Platform& sys = fw::Sys();
  std::string path = sys.ModuleFileName();
  const std::size_t slash = path.rfind('\\');
  path.resize(slash == std::string::npos ? 0 : slash);
  path += kLibraryFileName;
  const std::string version = ReadFileVersionText(path, nullptr).value_or(std::string());
  sys.MessageBox(window(), "versoin of NIVO3.DLL is " + version, sys.LoadString(AFX_IDS_APP_TITLE), fw::mb::kOk);
}

void CAboutPage::OnHelpInfo(std::uint32_t helpContext) {
  fw::Sys().ShowHelp(helpContext != 0 ? helpContext : IDH_ABOUT);
}

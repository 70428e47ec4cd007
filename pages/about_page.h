// The About tab: each time it becomes the active tab it shows the version of the card's
// driver file, of this utility and of the card's firmware, with the product line and a
// notice line. A hidden gesture (Ctrl and Shift held, pointer in the page's top-left
// corner) shows the version of the driver library's file.
// Template IDD_ABOUT, help topic IDH_ABOUT.
#pragma once
#include <optional>
#include <span>
#include <string>

#include "framework/page.h"
#include "framework/platform.h"
#include "res/resource.h"

class CAboutPage : public fw::Page<CAboutPage> {
 public:
  CAboutPage() : Page(IDD_ABOUT, "About") { helpTopic = IDH_ABOUT; }
  static std::span<const fw::Handler<CAboutPage>> Handlers();

  void DoDataExchange(fw::DataExchange& dx) override;
  bool OnSetActive() override;

  // The driver file's version into driverVersionText (see the source for the steps).
  void ReadDriverVersion();
  // "a.b.c.d" of a file's version resource, with its fixed block; nothing when the file has
  // no readable version resource.
  static std::optional<std::string> ReadFileVersionText(const std::string& path, fw::FixedFileInfo* fixedInfo);

  void OnMouseMove(const fw::MouseMove& move);
  void OnHelpInfo(std::uint32_t helpContext);
  void OnPaint() {}

  std::string driverVersionText = "Unknown";  // the last driver version read
  fw::FixedFileInfo fixedFileInfo{};           // from the last successful read
  fw::VersionRecord systemVersion{};           // filled at each activation

  // The texts exchanged with 1110, 1106, 1112, 1080 and 1081.
  std::string m_utilityVersion;
  std::string m_driverVersion;
  std::string m_firmwareVersion;
  std::string m_productText;
  std::string m_noticeText;

 private:
  std::string ReadFirmwareVersion();
};

// The driver's service name the trace names for a system version: "PCANDIS3" outside the
// NT family, "PCANDIS5" on NT 5, "PCANDIS4" on any other NT.
const char* DriverServiceName(const fw::VersionRecord& version);

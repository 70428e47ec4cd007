// The configuration window: a tabbed property sheet that owns the five pages, the current
// profile and the two events with which the pages and the polling thread take turns at the
// driver library. One instance lives for the whole process; its window exists only while
// it is shown. The record operations (default filling, key building, the full and the
// changed-settings push, the link status read) run on the caller's thread and reach the
// library only through Nivo().
#pragma once
#include <cstddef>
#include <cstdint>

#include "driver/nivo_records.h"
#include "framework/property_sheet.h"
#include "pages/about_page.h"
#include "pages/config_page.h"
#include "pages/encryption_page.h"
#include "pages/link_info_page.h"
#include "pages/site_survey_page.h"

// Number of supportedRates bytes.
constexpr std::size_t kSupportedRatesSize = 8;

// The supportedRates bytes of a rate code: 1 → 2; 2 → 4; 3 → 4, 2; 4 → 11; 8 → 22;
// 15 → 108, 96, 72, 48, 36, 24, 22, 18; any other code v → its low byte. Unused bytes are 0.
void RateCodeToRates(std::int32_t rateCode, std::uint8_t rates[kSupportedRatesSize]);

// The profile's SSID into the exchange record: ssid bytes and ssidLength, at most 32.
void CopySsidToConfig(const ProfileWireless& profile, WlanConfig& config);

// The profile created when the library has no active one.
inline constexpr char kDefaultProfileName[] = "Default";

// Key texts a new profile gets.
inline constexpr char kDefaultKeyText128[] = "5C3E1A7B90D24F68A13B7C9E05";
inline constexpr char kDefaultKeyText64[] = "5C3E1A7B90";

// Tab titles captured when the window opens: at most 7, 260 bytes each.
constexpr int kMaxTabTitles = 7;
constexpr std::size_t kTabTitleSize = 260;

class CConfigUtility : public fw::PropertySheet {
 public:
  // The window's caption, no parent, the page shown first.
  CConfigUtility(const char* caption, fw::Handle parent, std::uint32_t startPage);
  ~CConfigUtility() override;

  // The pages, in member order (their tab order is set by the constructor).
  CLinkInfoPage linkInfoPage;
  CConfigPage configPage;
  CSiteSurveyPage siteSurveyPage;
  CEncryptionPage encryptionPage{*this};
  CAboutPage aboutPage;

  // Hand-shake: `background` is signalled while no page uses the library; `forground`
  // between two working cycles of the polling thread.
  fw::Handle background = nullptr;
  fw::Handle forground = nullptr;
  // Either side waits at most this long for the other; a time-out is not an error.
  static constexpr std::uint32_t kHandshakeWaitMs = 2000;

  char tabTitles[kMaxTabTitles][kTabTitleSize] = {};

  bool OnInitDialog() override;
  void OnDrawItem(fw::DrawSurface& surface, int tabIndex) override;
  bool OnCommand(std::uint32_t id, std::uint32_t code) override;
  void OnHelp();

  // The page side of the hand-shake around a library exchange: hold the polling thread
  // off (waiting at most 2000 ms for it to finish its cycle), then let it go again.
  void BeginLibraryUse();
  void EndLibraryUse();

  // Where key elements come from. Replaceable so that a test can make an allocation fail;
  // `release` must accept what `allocate` returned.
  struct KeyElementAllocator {
    void* (*allocate)(std::size_t bytes);
    void (*release)(void* element);
  };
  static const KeyElementAllocator kHeapAllocator;

  // The current profile; every page edits this one instance.
  ProfileWireless profile{};
  KeyElementAllocator keyAllocator = kHeapAllocator;

  // Zero-fills `profile` and sets the defaults of a new profile ("Default", SSID "any",
  // channel 6, WEP off, the default key texts ...).
  void FillDefaultProfile(ProfileWireless& profile);

  // From the member profile: WEP status, authentication mode 2 and, when WEP is on, four
  // key elements in config.wepKey (the default key marked with kTransmitKeyBit), with their
  // selector bits added to dwWLFlag. Returns false when an element cannot be allocated:
  // then no element is left, the four pointers are null, dwWLFlag is as it was on entry,
  // and the caller must not send the record.
  bool BuildWepKeys(WlanConfig& config, std::uint32_t& dwWLFlag);
  // Frees every element BuildWepKeys left in config.wepKey and nulls the pointers.
  void FreeWepKeys(WlanConfig& config);

  // The full push of the member profile: regulatory domain, then (unless XP's zero
  // configuration manages the card) the driver's stored settings and the live configuration.
  void ApplyProfileToDriver();
  // Sends the fields the caller prepared (SSID, mode, rates, power mode, radio
  // configuration) and the keys, retrying once with the fields that failed. True when every
  // field was written.
  bool ApplyChangedConfig(WlanConfig& config);
  // Queries the media connect status and, when connected, reads the link fields of `mode`
  // (0 all, 1 without mode and rates, 2 SSID and status only). 0 when the status query
  // failed or some field could not be read; 1 when disconnected or every field was read.
  int ReadLinkStatus(WlanConfig& config, int mode);
};

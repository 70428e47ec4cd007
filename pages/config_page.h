// The "Configuration" tab (template IDD_CONFIGURATION, help topic IDH_CONFIGURATION): named
// profiles (create, remove, pick and activate) and the basic radio settings of the current
// profile (operating mode, SSID, channel, power saving). The page edits the window's current
// profile, stores profiles through the driver library and hands every push to the polling
// thread through gChangeParametersRequest and gReapplyRequest; it never sends a setting to
// the driver itself.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "framework/page.h"
#include "pages/config_page_rules.h"
#include "res/resource.h"

class CConfigUtility;

class CConfigPage : public fw::Page<CConfigPage> {
 public:
  // The message the SSID check posts to the page when it refused a character.
  static constexpr std::uint32_t kSsidRejectedMessage = 0x0400 + 77;  // WM_USER + 77

  CConfigPage();
  static std::span<const fw::Handler<CConfigPage>> Handlers();

  bool OnInitDialog() override;
  bool OnSetActive() override;
  bool OnApply() override;
  void OnOK() override;
  void OnCancel() override;
  void DoDataExchange(fw::DataExchange& dx) override;
  bool OnMessage(std::uint32_t message, fw::WParam wParam, fw::LParam lParam, fw::LResult& result) override;

  // Page state (the members the data exchange and the algorithms share).
  std::string m_strSsid;
  int m_nChannelIndex = -1;
  int m_nPowerSaveIndex = -1;
  std::string m_strProfileName;
  std::uint16_t m_wChannelMask = 0;
  ChannelList m_channels;  // the channel list with m_channelToIndex and m_indexToChannel
  std::int16_t m_nSavedMode = 0;
  std::int16_t m_nSavedChannelIndex = -1;
  std::string m_strSavedSsid;
  int m_nSavedPowerSaveIndex = 0;
  bool m_bListsBuilt = false;  // the page's lists were filled since the window opened
  bool m_bProfileSwitched = false;
  bool m_bCreatingProfile = false;

 private:
  // One member function per step of the page, in the order of its event table.
  void ReadChannelMask();
  void BuildLists();
  void LoadControls();
  void Store();
  void ProfileSwitchHandShake();
  void OnModeChanged();
  void OnChannelOrPowerChanged();
  void OnSsidChanged();
  void ShowSsidWarning();
  void OnProfileSelected();
  void OnProfileNameTyped();
  void OnCreate();
  void OnRemove();
  void OnActivate();
  void OnRestoreDefaults();
  void OnUndoChanges();
  void OnContextHelp(std::uint32_t helpContext);
  void OnPaint() {}

  CConfigUtility& Sheet() const;
  const std::string& DefaultName();
  std::vector<std::string> ListedNames() const;
  int SelectedMode() const;
  void ReadControls() { UpdateData(true); }
  bool ReadControlsForStore();
  void WriteControls();
  void SetButtons(ConfigEvent event, const ButtonContext& context = {});
  ButtonContext ContextFor(const std::string& name) const;
  int ShowMessage(const std::string& text, std::uint32_t style);

  std::string m_strDefaultName;     // "default", from the string table
  std::string m_strRejectedSsid;    // what the refused SSID is cut back to
  SsidWarningThrottle m_ssidWarning;
  bool m_bWritingControls = false;  // the page writes its members: text changes are its own
};

// The "Link Info" tab: the association state with the BSSID, channel, rate and SSID, the
// frame counters and the signal and link-quality read-outs, refreshed once a second while
// the page shows; "Re-Scan" asks the polling thread to push the profile's settings again.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "driver/nivo_records.h"
#include "framework/page.h"
#include "res/resource.h"

// The status record every refresh reads into; fields a tick does not read keep the values
// of an earlier tick.
extern WlanConfig gLinkStatus;

// Whether the system's wireless zero configuration manages the card (NIVO_Get_XPWZC).
bool ZeroConfigManagesCard();

class CLinkInfoPage : public fw::Page<CLinkInfoPage> {
 public:
  static constexpr std::uintptr_t kRefreshTimer = 183;
  static constexpr std::uint32_t kRefreshPeriodMs = 1000;
  static constexpr int kTicks = 3;  // m_nTick cycles 0, 1, 2
  // The refresh timing line (switched on by kTraceCategoryRefreshTiming): milliseconds from
  // the timer message to the end of updateLinkInfo, and the tick refreshed.
  static constexpr char kRefreshTimingLine[] = "<L> timer to end of updateLinkInfo: %u ms, tick %i";

  CLinkInfoPage();
  static std::span<const fw::Handler<CLinkInfoPage>> Handlers();

  bool OnSetActive() override;
  bool OnKillActive() override;
  void OnOK() override;
  void OnCancel() override;
  void DoDataExchange(fw::DataExchange& dx) override;

  // One refresh: reads the status fields of `tick` inside the hand-shake and shows them.
  void updateLinkInfo(int tick);

  // The texts of the channel, rate, SSID, state, received, transmitted, signal and quality
  // boxes: empty, and never changed, so writing them to the controls clears the page.
  std::string m_strChannel, m_strRate, m_strSsid, m_strState;
  std::string m_strReceived, m_strTransmitted, m_strSignal, m_strQuality;
  int m_b_ReScan = 0;  // a re-scan is pending: "Re-Scan" waits to be enabled again
  int m_nTick = 0;     // refresh counter, 0, 1, 2

 private:
  void OnTimer(std::uintptr_t timerId);
  void OnReScan();
  void OnPaint();
  void OnContextHelp(std::uint32_t helpContext);

  // The counter texts, kept from one refresh to the next: a failed query shows the last one.
  std::string transmittedText_;
  std::string receivedText_;
};

#include "pages/link_info_page.h"

#include "core/config_utility.h"
#include "core/shared_state.h"
#include "diag/trace.h"
#include "driver/nivo_driver.h"
#include "pages/link_info_status.h"

WlanConfig gLinkStatus{};

bool ZeroConfigManagesCard() {
  std::int32_t active = 0;
  Nivo().NIVO_Get_XPWZC(&active);
  return active != 0;
}

namespace {

LinkTexts LoadLinkTexts() {
  fw::Platform& sys = fw::Sys();
  LinkTexts texts;
  texts.scanning = sys.LoadString(IDS_SCANNING);
  texts.connectedBssid = sys.LoadString(IDS_CONNECTED_BSSID);
  for (int w = 0; w < kSignalWordCount; ++w) texts.words[w] = sys.LoadString(SignalWordTextId(static_cast<SignalWord>(w)));
  return texts;
}

CounterQuery QueryCounter(std::uint32_t oid) {
  CounterQuery query;
  query.status = Nivo().NIVO_QueryOID(oid, &query.count, sizeof query.count, &query.bytesWritten);
  return query;
}

}  // namespace

CLinkInfoPage::CLinkInfoPage() : fw::Page<CLinkInfoPage>(IDD_LINK_INFO, "Link Info") {
  helpTopic = IDH_LINK_INFO;
}

std::span<const fw::Handler<CLinkInfoPage>> CLinkInfoPage::Handlers() {
  static const fw::Handler<CLinkInfoPage> kTable[] = {
      fw::OnTimer(&CLinkInfoPage::OnTimer),
      fw::OnCommand(IDC_LINK_RESCAN, fw::bn::kClicked, &CLinkInfoPage::OnReScan),
      fw::OnContextHelp(&CLinkInfoPage::OnContextHelp),
      fw::OnPaint(&CLinkInfoPage::OnPaint),
  };
  return kTable;
}

void CLinkInfoPage::DoDataExchange(fw::DataExchange& dx) {
  // The members are only ever written to the controls: they stay empty, so that each
  // activation starts from a clear page.
  if (dx.saving()) return;
  dx.Text(IDC_LINK_CHANNEL, m_strChannel);
  dx.Text(IDC_LINK_RATE, m_strRate);
  dx.Text(IDC_LINK_SSID, m_strSsid);
  dx.Text(IDC_LINK_STATE, m_strState);
  dx.Text(IDC_LINK_RECEIVED, m_strReceived);
  dx.Text(IDC_LINK_TRANSMITTED, m_strTransmitted);
  dx.Text(IDC_LINK_SIGNAL_WORD, m_strSignal);
  dx.Text(IDC_LINK_QUALITY_WORD, m_strQuality);
}

// ------------------------------------------------------------------ activation

bool CLinkInfoPage::OnSetActive() {
  if (ZeroConfigManagesCard()) Item<fw::Button>(IDC_LINK_RESCAN).Enable(false);
  Item<fw::ProgressBar>(IDC_LINK_SIGNAL_BAR).SetRange(0, kBarTop);
  Item<fw::ProgressBar>(IDC_LINK_QUALITY_BAR).SetRange(0, kBarTop);
  UpdateData(false);
  updateLinkInfo(0);
  fw::Sys().SetTimer(window(), kRefreshTimer, kRefreshPeriodMs);
  return fw::Page<CLinkInfoPage>::OnSetActive();
}

bool CLinkInfoPage::OnKillActive() {
  fw::Sys().KillTimer(window(), kRefreshTimer);
  return fw::Page<CLinkInfoPage>::OnKillActive();
}

void CLinkInfoPage::OnTimer(std::uintptr_t) {
  if (gDevicePresent == 0) return;
  // How long the window thread is held by one refresh, hand-shake wait included: from the
  // timer message to the end of updateLinkInfo, when the timing trace is switched on.
  const bool timed = TraceSwitchedOn(kTraceCategoryRefreshTiming);
  const std::uint32_t start = timed ? fw::Sys().TickCount() : 0;
  const int tick = m_nTick;
  updateLinkInfo(tick);
  if (timed)
    TraceMessage(kRefreshTimingLine, static_cast<unsigned>(fw::Sys().TickCount() - start), tick);
  if (++m_nTick == kTicks) m_nTick = 0;
}

// ------------------------------------------------------------------ refresh

void CLinkInfoPage::updateLinkInfo(int tick) {
  auto* configSheet = dynamic_cast<CConfigUtility*>(sheet());
  if (configSheet == nullptr) return;  // only a page of the configuration window reads the card
  configSheet->BeginLibraryUse();
  TraceMessage(" Q ");
  if (configSheet->ReadLinkStatus(gLinkStatus, tick) != 0) {
    if (m_b_ReScan == 1) {
      m_b_ReScan = 0;
      Item<fw::Button>(IDC_LINK_RESCAN).Enable(true);
      TraceMessage("updateLinkInfo  m_b_ReScan == TRUE  NdisMediaStateConnected\n");
    }
    const bool connected = gLinkStatus.mediaConnectStatus == kMediaConnected;
    std::int32_t channel = 0;
    if (connected) {
      transmittedText_ = CounterText(QueryCounter(kOidGenXmitOk), transmittedText_);
      receivedText_ = CounterText(QueryCounter(kOidGenRcvOk), receivedText_);
      channel = Nivo().NIVO_FrequencyToChannel(static_cast<std::int32_t>(gLinkStatus.configuration.DSConfig));
    } else {
      TraceToViewer("2");
    }
    const LinkView view = LinkViewFromStatus(gLinkStatus, channel, LoadLinkTexts());

    // A box whose text stays as it was is neither written nor repainted: most of the page
    // holds still from one second to the next, and every write and repaint costs the window
    // thread (under Wine, round trips to the Wine server) while the page shows.
    const auto show = [this](int id, const std::string& text) {
      const auto box = Item<fw::Edit>(id);
      if (box.ChangeText(text)) box.RepaintNow();
    };
    show(IDC_LINK_CHANNEL, view.channel);
    show(IDC_LINK_RATE, view.rate);
    show(IDC_LINK_SSID, view.ssid);
    if (connected) {
      show(IDC_LINK_TRANSMITTED, transmittedText_);
      show(IDC_LINK_RECEIVED, receivedText_);
    }
    Item<fw::ProgressBar>(IDC_LINK_SIGNAL_BAR).SetPos(view.signalBar);
    Item<fw::ProgressBar>(IDC_LINK_QUALITY_BAR).SetPos(view.qualityBar);
    Item<fw::Static>(IDC_LINK_SIGNAL_WORD).ChangeText(view.signalWord);
    Item<fw::Static>(IDC_LINK_QUALITY_WORD).ChangeText(view.qualityWord);
    show(IDC_LINK_STATE, view.state);
  }
  configSheet->EndLibraryUse();
}

// ------------------------------------------------------------------ Re-Scan

void CLinkInfoPage::OnReScan() {
  for (int id : {IDC_LINK_STATE, IDC_LINK_RATE}) {
    Item<fw::Edit>(id).SetText("");
    Item<fw::Edit>(id).RepaintNow();
  }
  Item<fw::ProgressBar>(IDC_LINK_SIGNAL_BAR).SetPos(0);
  Item<fw::ProgressBar>(IDC_LINK_QUALITY_BAR).SetPos(0);
  Item<fw::Static>(IDC_LINK_SIGNAL_WORD).SetText("");
  Item<fw::Static>(IDC_LINK_QUALITY_WORD).SetText("");
  for (int id : {IDC_LINK_TRANSMITTED, IDC_LINK_RECEIVED, IDC_LINK_SSID, IDC_LINK_CHANNEL}) {
    Item<fw::Edit>(id).SetText("");
    Item<fw::Edit>(id).RepaintNow();
  }
  gChangeParametersRequest = 1;
  m_b_ReScan = 1;
  m_nTick = 0;
  Item<fw::Button>(IDC_LINK_RESCAN).Enable(false);
}

// ------------------------------------------------------------------ closing, help, paint

void CLinkInfoPage::OnOK() {
  gSheetOpen = 0;
  fw::Page<CLinkInfoPage>::OnOK();
}

void CLinkInfoPage::OnCancel() {
  gSheetOpen = 0;
  fw::Page<CLinkInfoPage>::OnCancel();
}

void CLinkInfoPage::OnContextHelp(std::uint32_t helpContext) {
  fw::Sys().ShowHelp(helpContext != 0 ? helpContext : IDH_LINK_INFO);
}

void CLinkInfoPage::OnPaint() {}

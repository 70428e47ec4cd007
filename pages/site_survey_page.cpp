#include "pages/site_survey_page.h"

#include <vector>

#include "app/os_kind.h"
#include "core/config_utility.h"
#include "driver/nivo_driver.h"
#include "pages/link_info_page.h"

SurveyTable gSurveyTable;

namespace {

struct Column {
  const char* title;
  int width;
};
// The list's columns, in order, left-aligned; widths in pixels.
constexpr Column kColumns[] = {{"SSID", 101}, {"BSSID", 108}, {"Signal", 41},
                               {"Channel", 51}, {"WEP", 37},  {"BSSType", 101}};
constexpr int kSsidColumn = 0;
constexpr int kChannelColumn = 3;
constexpr int kBssTypeColumn = 5;

// The page side of the hand-shake around one exchange with the library.
class LibraryUse {
 public:
  explicit LibraryUse(fw::PropertySheet* sheet) : sheet_(dynamic_cast<CConfigUtility*>(sheet)) {
    if (sheet_ != nullptr) sheet_->BeginLibraryUse();
  }
  ~LibraryUse() {
    if (sheet_ != nullptr) sheet_->EndLibraryUse();
  }
  LibraryUse(const LibraryUse&) = delete;
  LibraryUse& operator=(const LibraryUse&) = delete;
  CConfigUtility* sheet() const { return sheet_; }

 private:
  CConfigUtility* sheet_;
};

}  // namespace

CSiteSurveyPage::CSiteSurveyPage() : fw::Page<CSiteSurveyPage>(IDD_SITE_SURVEY, "Site Survey") {
  helpTopic = IDH_SITE_SURVEY;
}

std::span<const fw::Handler<CSiteSurveyPage>> CSiteSurveyPage::Handlers() {
  static const fw::Handler<CSiteSurveyPage> kTable[] = {
      fw::OnCommand(IDC_SURVEY_SEARCH, fw::bn::kClicked, &CSiteSurveyPage::OnSearch),
      fw::OnTimer(&CSiteSurveyPage::OnTimer),
      fw::OnNotify(IDC_SURVEY_LIST, fw::nm::kClick, &CSiteSurveyPage::OnClickList),
      fw::OnNotify(IDC_SURVEY_LIST, fw::lvn::kItemChanged, &CSiteSurveyPage::OnListItemChanged),
      fw::OnNotify(IDC_SURVEY_LIST, fw::nm::kDblClk, &CSiteSurveyPage::OnDoubleClickList),
      fw::OnCommand(IDC_SURVEY_CONNECT, fw::bn::kClicked, &CSiteSurveyPage::OnConnect),
      fw::OnContextHelp(&CSiteSurveyPage::OnContextHelp),
      fw::OnPaint(&CSiteSurveyPage::OnPaint),
  };
  return kTable;
}

// ------------------------------------------------------------------ activation

bool CSiteSurveyPage::OnSetActive() {
  // The first activation after the window opens only builds the columns; the search starts
  // by itself on the second one.
  if (m_bAutoSearchPending && m_bColumnsBuilt) {
    m_bAutoSearchPending = false;
    Search();
  }
  if (!m_bColumnsBuilt) {
    BuildColumns();
    m_bColumnsBuilt = true;
  }
  FollowSelection();
  return fw::Page<CSiteSurveyPage>::OnSetActive();
}

void CSiteSurveyPage::BuildColumns() {
  const auto list = Item<fw::ListView>(IDC_SURVEY_LIST);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    list.InsertColumn(i, kColumns[i].title, kColumns[i].width, fw::lvcfmt::kLeft);
  }
}

bool CSiteSurveyPage::OnKillActive() {
  Item<fw::Button>(IDC_SURVEY_SEARCH).Enable(true);
  fw::Sys().KillTimer(window(), kSearchTimer);
  return fw::Page<CSiteSurveyPage>::OnKillActive();
}

// ------------------------------------------------------------------ search and fill

void CSiteSurveyPage::OnSearch() { Search(); }

void CSiteSurveyPage::Search() {
  Item<fw::ListView>(IDC_SURVEY_LIST).DeleteAllItems();
  Item<fw::Button>(IDC_SURVEY_SEARCH).Enable(false);
  FollowSelection();  // no row left: "Connect" off
  {
    LibraryUse use(sheet());
    Nivo().NIVO_SiteSurveyTrigger();
  }
  fw::Sys().SetTimer(window(), kSearchTimer, kSearchWaitMs);
}

void CSiteSurveyPage::OnTimer(std::uintptr_t) {
  fw::Sys().KillTimer(window(), kSearchTimer);
  FillList();
  Item<fw::Button>(IDC_SURVEY_SEARCH).Enable(true);
  FollowSelection();  // the new rows are unselected: "Connect" off
}

void CSiteSurveyPage::FillList() {
  // Zero-filled, so that a list the library writes only in part reads as empty entries.
  std::vector<std::uint8_t> buffer(kSurveyBufferSize, 0);
  std::uint32_t size = kSurveyBufferSize;
  const auto list = Item<fw::ListView>(IDC_SURVEY_LIST);
  list.SetFullRowSelect();
  LibraryUse use(sheet());
  gSurveyTable.Clear();
  if (Nivo().NIVO_SiteSurveyGet(buffer.data(), &size) != kNivoSuccess) return;
  // Never more than the buffer holds, whatever size the library reports back.
  const std::size_t filled = size < buffer.size() ? size : buffer.size();
  m_nEntryCount = ReadSurveyList(buffer.data(), filled,
                                 [](std::int32_t frequency) { return Nivo().NIVO_FrequencyToChannel(frequency); },
                                 gSurveyTable);
  list.DeleteAllItems();
  for (int row = 0; row < gSurveyTable.count; ++row) {
    list.InsertItem(row, gSurveyTable.Text(row, 0));
    for (int column = 1; column < static_cast<int>(std::size(kColumns)); ++column) {
      list.SetItemText(row, column, gSurveyTable.Text(row, column));
    }
  }
}

// ------------------------------------------------------------------ choose and join

// The chosen row is the list's selected row, however the selection was made (a click, the
// arrow keys, Home and End, Page Up and Page Down) or cleared (a click on empty space, the
// rows deleted). "Connect" is enabled exactly while a row is chosen and the system's wireless
// zero configuration does not manage the card.
void CSiteSurveyPage::FollowSelection() {
  m_nSelectedRow = Item<fw::ListView>(IDC_SURVEY_LIST).GetFirstSelected();
  Item<fw::Button>(IDC_SURVEY_CONNECT).Enable(m_nSelectedRow >= 0 && !ZeroConfigManagesCard());
}

// A click asks again whether zero configuration manages the card, even on the chosen row.
void CSiteSurveyPage::OnClickList(fw::PageEvent& notification) {
  FollowSelection();
  notification.result = 0;
}

void CSiteSurveyPage::OnListItemChanged(fw::PageEvent& notification) {
  if (((notification.newState ^ notification.oldState) & fw::lvis::kSelected) != 0) FollowSelection();
  notification.result = 0;
}

// A double click on a row joins it as "Connect" would (its first click chose the row).
void CSiteSurveyPage::OnDoubleClickList(fw::PageEvent& notification) {
  notification.result = 0;
  if (notification.item >= 0 && notification.item == m_nSelectedRow &&
      Item<fw::Button>(IDC_SURVEY_CONNECT).IsEnabled())
    Connect();
}

void CSiteSurveyPage::OnConnect() { Connect(); }

void CSiteSurveyPage::Connect() {
  // With no row chosen every text reads as empty.
  const auto list = Item<fw::ListView>(IDC_SURVEY_LIST);
  const bool chosen = m_nSelectedRow >= 0 && m_nSelectedRow < list.GetItemCount();
  const auto cell = [&](int column) { return chosen ? list.GetItemText(m_nSelectedRow, column) : std::string(); };
  JoinRequest join = JoinRequestFromRow(cell(kSsidColumn), cell(kBssTypeColumn), cell(kChannelColumn));
  fw::Platform& sys = fw::Sys();
  if (join.ssidEmpty) sys.MessageBox(window(), kFailText, sys.LoadString(AFX_IDS_APP_TITLE), fw::mb::kOk);
  {
    LibraryUse use(sheet());
    Nivo().NIVO_SetOperatingMode(&join.mode);
    if (join.mode == 0) Nivo().NIVO_SetChannel(&join.channel);
    Nivo().NIVO_SetSSID(&join.ssid);
    if (OsKind == kOsWindows98Me && use.sheet() != nullptr) {
      // Windows 98/Me: the keys of the sheet's profile go to the driver again after the join.
      fw::WaitAndPumpMessages(kJoinSettleMs);
      WlanConfig config{};
      std::uint32_t dwWLFlag = 0;
      if (use.sheet()->BuildWepKeys(config, dwWLFlag)) {
        Nivo().NIVO_SetWLANConfig(&dwWLFlag, &config);
        use.sheet()->FreeWepKeys(config);
      }
      fw::WaitAndPumpMessages(kKeyPushSettleMs);
    }
    Item<fw::Button>(IDC_SURVEY_CONNECT).Enable(false);
  }
  if (sheet() != nullptr) sheet()->SetActivePage(0);
}

// ------------------------------------------------------------------ closing, help, paint

void CSiteSurveyPage::OnOK() {
  m_bColumnsBuilt = false;
  m_bAutoSearchPending = true;
  fw::Page<CSiteSurveyPage>::OnOK();
}

void CSiteSurveyPage::OnCancel() {
  m_bColumnsBuilt = false;
  m_bAutoSearchPending = true;
  fw::Page<CSiteSurveyPage>::OnCancel();
}

void CSiteSurveyPage::OnContextHelp(std::uint32_t helpContext) {
  fw::Sys().ShowHelp(helpContext != 0 ? helpContext : IDH_SITE_SURVEY);
}

void CSiteSurveyPage::OnPaint() {}

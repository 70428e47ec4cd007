// The "Site Survey" tab: asks the card to scan, lists the access points and ad hoc cells it
// reports, and joins the one the user picks by setting mode, channel (ad hoc only) and SSID
// directly in the driver. Profiles stay as they are.
#pragma once
#include <cstdint>
#include <span>

#include "framework/page.h"
#include "pages/site_survey_table.h"
#include "res/resource.h"

// The table of the last survey (one per program).
extern SurveyTable gSurveyTable;

class CSiteSurveyPage : public fw::Page<CSiteSurveyPage> {
 public:
  static constexpr std::uintptr_t kSearchTimer = 188;
  static constexpr std::uint32_t kSearchWaitMs = 3000;
  // The Windows 98/Me key re-push after a join waits this long before and after it.
  static constexpr std::uint32_t kJoinSettleMs = 3000;
  static constexpr std::uint32_t kKeyPushSettleMs = 1500;
  static constexpr char kFailText[] = "Fail";

  CSiteSurveyPage();
  static std::span<const fw::Handler<CSiteSurveyPage>> Handlers();

  bool OnSetActive() override;
  bool OnKillActive() override;
  void OnOK() override;
  void OnCancel() override;

  void Search();
  void FillList();
  void Connect();

  bool m_bColumnsBuilt = false;      // the six columns exist in the current list
  bool m_bAutoSearchPending = true;  // a search starts by itself on an activation
  int m_nEntryCount = 0;             // item count of the last survey result
  int m_nSelectedRow = -1;           // the list's selected row, -1 for none

 private:
  void OnSearch();
  void OnConnect();
  void OnTimer(std::uintptr_t timerId);
  void OnClickList(fw::PageEvent& notification);
  void OnListItemChanged(fw::PageEvent& notification);
  void OnDoubleClickList(fw::PageEvent& notification);
  void FollowSelection();
  void OnPaint();
  void OnContextHelp(std::uint32_t helpContext);
  void BuildColumns();
};

// The fault sweep: for every fault the virtual card can be given (sweep/fault_table.h), the
// real tw7720util.exe is started with the card and the fault, and every page of its window
// is used as a user would: each tab opened, "Apply Changes" on Configuration and on
// Encryption, a search and a join on Site Survey, the hidden version gesture on About.
// Throughout, the utility must go on answering, show no message but the ones its fault
// explains, call nothing after NIVO_Terminate, and end on "ELEGANT_CLOSE".
//
// One line per fault, "fault <name>: passed" or "fault <name>: failed: <why>", and a total
// line at the end; scripts/fault-sweep runs it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "res/resource.h"
#include "support/resident_utility.h"
#include "sweep/fault_table.h"

namespace sweep {
// The name is what gtest prints for a row.
void PrintTo(const SweepFault& fault, std::ostream* out) { *out << fault.name; }
}  // namespace sweep

namespace {

using namespace winetest;
using sweep::Course;
using sweep::SweepFault;

constexpr DWORD kStepMs = 10000;  // one step on a page: a slow machine, not a hang
constexpr DWORD kAnswerMs = 5000;  // a message to the main window is handled within this
constexpr DWORD kExitMs = 10000;   // "ELEGANT_CLOSE" ends the utility within this

using sweep::kAbout;
using sweep::kConfiguration;
using sweep::kEncryption;
using sweep::kLinkInfo;
using sweep::kSiteSurvey;
const std::vector<std::string> kFullPages = {kLinkInfo, kConfiguration, kSiteSurvey, kEncryption, kAbout};
const std::vector<std::string> kZeroConfigPages = {kLinkInfo, kSiteSurvey, kAbout};

// The messages the run's fault brought up, for its line: "shown: ..." (the gesture's aside).
std::string gShownNote;

// What the About page's gesture shows: the version resource of the NIVO3.DLL beside the
// program, read here with the system's own functions.
std::string GestureText(const std::string& dllPath) {
  std::string version;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(dllPath.c_str(), &ignored);
  std::vector<char> block(size + 1);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (size != 0 && GetFileVersionInfoA(dllPath.c_str(), 0, size, block.data()) &&
      VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) && info != nullptr) {
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                  HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    version = text;
  }
  return "versoin of NIVO3.DLL is " + version;
}

// A message box of the process: a dialog with a message text and no tabs (the
// configuration window has the same class and title).
bool IsMessageBox(HWND window) {
  return GetDlgItem(window, kMessageTextId) != nullptr && FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr) == nullptr;
}

// Watches the utility's message boxes from a thread of its own: reads each box's text once
// and answers it (OK, else No), so that neither thread of the utility stays blocked on one.
// The texts are judged afterwards, on the test's thread.
class MessageWatcher {
 public:
  explicit MessageWatcher(DWORD pid) : pid_(pid), thread_([this] { Run(); }) {}
  ~MessageWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> texts() const {
    std::lock_guard<std::mutex> hold(lock_);
    return texts_;
  }
  size_t Count(const std::string& text) const {
    size_t n = 0;
    for (const std::string& t : texts()) n += t == text;
    return n;
  }
  bool WaitFor(const std::string& text, size_t atLeast, DWORD ms) const {
    return WaitUntil([&] { return Count(text) >= atLeast; }, ms);
  }
  // Reads the boxes but leaves them up, as a user who has walked away.
  void LeaveUp() { leaveUp_ = true; }

 private:
  void Run() {
    std::set<HWND> read;
    while (!stop_) {
      std::set<HWND> shown;
      for (HWND box : ProcessWindows(pid_, "#32770", nullptr, true)) {
        if (!IsMessageBox(box)) continue;
        shown.insert(box);
        if (read.insert(box).second) {
          char text[1024] = {};
          DWORD_PTR ignored = 0;
          SendMessageTimeoutA(GetDlgItem(box, kMessageTextId), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                              SMTO_NORMAL, kAnswerMs, &ignored);
          std::lock_guard<std::mutex> hold(lock_);
          texts_.push_back(text);
        }
        if (leaveUp_) continue;
        const int button = GetDlgItem(box, IDOK) ? IDOK : GetDlgItem(box, IDNO) ? IDNO : IDCANCEL;
        PostMessageA(box, WM_COMMAND, button, 0);
      }
      // A box that has gone is forgotten: its handle may come back for another box.
      for (auto it = read.begin(); it != read.end();) it = shown.count(*it) ? std::next(it) : read.erase(it);
      Sleep(30);
    }
  }

  const DWORD pid_;
  mutable std::mutex lock_;
  std::vector<std::string> texts_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> leaveUp_{false};
  std::thread thread_;
};

class FaultSweep : public ResidentUtility, public ::testing::WithParamInterface<SweepFault> {
 protected:
  void TearDown() override {
    if (utility_ && !utility_->exited()) {
      BroadcastRegistered("ELEGANT_CLOSE");
      if (!utility_->WaitForExit(kExitMs)) utility_->Kill();
    }
    watcher_.reset();
    ResidentUtility::TearDown();
  }

  // ---------------------------------------------------------------- the run

  void Run() {
    const SweepFault& fault = GetParam();
    const std::string world = std::string(kHarbourWorld) + fault.scenario;
    if (fault.course == Course::kNeverFound || fault.course == Course::kCardFoundLate) {
      ASSERT_NO_FATAL_FAILURE(Start(world.c_str(), fault.windows));
    } else {
      ASSERT_NO_FATAL_FAILURE(StartWithIcon(world.c_str(), fault.windows));
    }
    watcher_ = std::make_unique<MessageWatcher>(pid());
    gesture_ = GestureText(folder_.File("NIVO3.dll"));
    // The card logs the lines of a scenario it could not use before anything else.
    for (const Call& call : Calls())
      ASSERT_NE(call.op, "scenario") << "the card did not take the fault's scenario: " << call.Text("errors");

    switch (fault.course) {
      case Course::kPlain:
        ASSERT_NO_FATAL_FAILURE(WaitForReapply(0));
        ASSERT_NO_FATAL_FAILURE(Open(kFullPages));
        break;
      case Course::kNeverFound:
        ASSERT_NO_FATAL_FAILURE(RefusedWithoutCard());
        ASSERT_NO_FATAL_FAILURE(CloseAndCheck());
        return;
      case Course::kCardFoundLate:
        ASSERT_NO_FATAL_FAILURE(RefusedWithoutCard());
        ASSERT_NO_FATAL_FAILURE(FindCardLate());
        ASSERT_NO_FATAL_FAILURE(WaitForReapply(0));
        ASSERT_NO_FATAL_FAILURE(Open(kFullPages));
        break;
      case Course::kClosedWithMessagesUp:
        watcher_->LeaveUp();
        ASSERT_NO_FATAL_FAILURE(WaitForReapply(0));
        ASSERT_NO_FATAL_FAILURE(Open(kFullPages));
        break;
      case Course::kZeroConfigOn:
        ASSERT_NO_FATAL_FAILURE(WaitForReapply(0));
        ASSERT_NO_FATAL_FAILURE(Open(kFullPages));
        ASSERT_NO_FATAL_FAILURE(SwitchZeroConfig("zeroconfig on"));
        ASSERT_NO_FATAL_FAILURE(Open(kZeroConfigPages));
        break;
      case Course::kZeroConfigOff:
        ASSERT_NO_FATAL_FAILURE(WaitForReapply(0));
        ASSERT_NO_FATAL_FAILURE(Open(kZeroConfigPages));
        ASSERT_NO_FATAL_FAILURE(SwitchZeroConfig("zeroconfig off"));
        ASSERT_NO_FATAL_FAILURE(Open(kFullPages));
        break;
      case Course::kRemovedMidSearch:
        ASSERT_NO_FATAL_FAILURE(WaitForReapply(0));
        ASSERT_NO_FATAL_FAILURE(Open(kFullPages));
        ASSERT_NO_FATAL_FAILURE(RemoveDuringSearchAndInsert());
        ASSERT_NO_FATAL_FAILURE(WaitForReapply(domainSets_));
        ASSERT_NO_FATAL_FAILURE(Open(kFullPages));
        break;
    }
    ASSERT_NO_FATAL_FAILURE(DriveEveryPage());
    ASSERT_NO_FATAL_FAILURE(CloseAndCheck());
  }

  // The card's arrival (the start, or an insertion) asks the polling thread for a full push,
  // which drops a settings request made before it: the pages are used once it has been
  // made. Every full push sets the regulatory domain first.
  void WaitForReapply(size_t domainSetsBefore) {
    ASSERT_TRUE(WaitUntil([&] { return CallCount("NIVO_SetWLDomain") > domainSetsBefore; }, kStepMs))
        << "no full push after the card came";
  }

  // The card is not found: no icon, no window, and "Show Config Utility" says so.
  void RefusedWithoutCard() {
    ASSERT_TRUE(utility_->WaitForLine("<M> NIVO_Detect BY (polling thread, first time only)", kStepMs));
    PostCommand(kShowConfig);
    ASSERT_TRUE(watcher_->WaitFor(sweep::kCardNotPresent, 1, kStepMs)) << "no message on \"Show Config Utility\"";
    PostTray(WM_LBUTTONDBLCLK);
    ASSERT_NO_FATAL_FAILURE(ExpectAnswers("the double click without a card"));
    EXPECT_EQ(FindSheet(), nullptr) << "a window opened without a card";
    EXPECT_EQ(TraceCount(kAddIconLine), 0u) << "an icon without a card";
  }

  // The fault goes, and a device event finds the card.
  void FindCardLate() {
    ASSERT_EQ(Ctl("fault detect off"), 0);
    ASSERT_TRUE(SendToFrame(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, kAnswerMs));
    ASSERT_TRUE(utility_->WaitForLine(kAddIconLine, kStepMs)) << "the device event did not find the card";
  }

  // The system's zero configuration changes with the window open: it closes.
  void SwitchZeroConfig(const std::string& command) {
    ASSERT_EQ(Ctl(command), 0);
    ASSERT_TRUE(WaitUntil([&] { return FindSheet() == nullptr; }, kStepMs)) << "the window stayed open";
    ASSERT_NO_FATAL_FAILURE(ExpectAnswers(command));
  }

  // The card goes while Site Survey's search waits for its result: the window closes and
  // the icon goes; the card comes back and the icon with it.
  void RemoveDuringSearchAndInsert() {
    const size_t triggers = CallCount("NIVO_SiteSurveyTrigger");
    ASSERT_NO_FATAL_FAILURE(ShowPage(kSiteSurvey));
    ASSERT_TRUE(WaitForSearchStarted(triggers));
    ASSERT_EQ(Ctl("remove"), 0);
    EXPECT_TRUE(utility_->WaitForLine(kRemoveIconLine, kStepMs)) << "the icon stayed";
    ASSERT_TRUE(WaitUntil([&] { return FindSheet() == nullptr; }, kStepMs)) << "the window stayed open";
    ASSERT_NO_FATAL_FAILURE(ExpectAnswers("the removal"));
    const size_t icons = TraceCount(kAddIconLine);
    domainSets_ = CallCount("NIVO_SetWLDomain");
    const size_t inserted = Calls().size();
    ASSERT_EQ(Ctl("insert"), 0);
    ASSERT_TRUE(WaitUntil([&] { return TraceCount(kAddIconLine) > icons; }, kStepMs)) << "no icon after insertion";
    // The profile goes to the card again and it joins the network of its world.
    EXPECT_TRUE(WaitUntil([&] { return PollingStatusQueries(inserted, true) > 0; }, kStepMs))
        << "no link after the insertion";
  }

  // ---------------------------------------------------------------- the window

  HWND FindSheet() const {
    for (HWND w : ProcessWindows(pid(), "#32770", kUtilityTitle, true))
      if (FindWindowExA(w, nullptr, WC_TABCONTROLA, nullptr) != nullptr) return w;
    return nullptr;
  }

  // Opens the window by a double click on the icon; it must show these pages.
  void Open(const std::vector<std::string>& pages) {
    PostTray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitUntil([&] { return (sheet_ = FindSheet()) != nullptr; }, kStepMs)) << "the window did not open";
    tabs_ = ForeignTabTitles(sheet_);
    ASSERT_EQ(tabs_, pages);
  }

  // A message to the window or a control, answered within the bound (0 otherwise).
  LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kAnswerMs, &result)) return 0;
    return static_cast<LRESULT>(result);
  }
  int CurrentIndex() const {
    HWND tabs = FindWindowExA(sheet_, nullptr, WC_TABCONTROLA, nullptr);
    return tabs != nullptr ? static_cast<int>(Ask(tabs, TCM_GETCURSEL)) : -1;
  }
  HWND Page() const { return reinterpret_cast<HWND>(Ask(sheet_, PSM_GETCURRENTPAGEHWND)); }
  HWND Control(int id) const { return GetDlgItem(Page(), id); }
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  // Posted: a press that brings up a message box must not hold this thread.
  void Click(int id) const { PostMessageA(Control(id), BM_CLICK, 0, 0); }

  void ShowPage(const std::string& title) {
    const auto found = std::find(tabs_.begin(), tabs_.end(), title);
    ASSERT_NE(found, tabs_.end()) << "no " << title << " tab";
    const int index = static_cast<int>(found - tabs_.begin());
    PostMessageA(sheet_, PSM_SETCURSEL, index, 0);
    ASSERT_TRUE(WaitUntil([&] { return CurrentIndex() == index; }, kStepMs)) << title << " did not show";
  }

  // The utility answers: alive, and its main window handles a message within the bound.
  void ExpectAnswers(const std::string& after) const {
    ASSERT_FALSE(utility_->exited()) << "the utility ended after " << after << " (exit code 0x" << std::hex
                                     << utility_->exitCode() << ")";
    ASSERT_TRUE(SendToFrame(WM_NULL, 0, 0, kAnswerMs)) << "the utility stopped answering after " << after;
  }

  // ---------------------------------------------------------------- the pages

  // The polling thread's connect status queries since `from`: one per cycle with the card;
  // `connected` counts only the successful ones that found a link.
  size_t PollingStatusQueries(size_t from, bool connected = false) const {
    const std::vector<Call> calls = Calls();
    std::string pollingThread;  // the thread of the first detection
    for (const Call& c : calls)
      if (c.op == "NIVO_Detect") {
        pollingThread = c.Text("thread");
        break;
      }
    size_t n = 0;
    for (size_t i = from; i < calls.size(); ++i)
      n += calls[i].op == "NIVO_QueryOID" && calls[i].Text("oid") == "0x10114" &&
           calls[i].Text("thread") == pollingThread &&
           (!connected || (calls[i].Text("result") == "0" && calls[i].Text("value") == "0"));
    return n;
  }

  void DriveEveryPage() {
    const size_t from = Calls().size();
    for (const std::string& page : tabs_) {
      if (page == kLinkInfo) {
        ASSERT_NO_FATAL_FAILURE(ShowPage(kLinkInfo));
      } else if (page == kConfiguration) {
        ASSERT_NO_FATAL_FAILURE(ApplyConfiguration());
      } else if (page == kSiteSurvey) {
        ASSERT_NO_FATAL_FAILURE(SearchAndJoin());
      } else if (page == kEncryption) {
        ASSERT_NO_FATAL_FAILURE(ApplyEncryption());
      } else if (page == kAbout) {
        ASSERT_NO_FATAL_FAILURE(AboutGesture());
      }
      ASSERT_NO_FATAL_FAILURE(ExpectAnswers(page));
      ASSERT_NO_FATAL_FAILURE(ExpectDefinedTexts(page));
    }
    // The settings that Configuration stored reach the card on a later cycle of the polling
    // thread: by now it has sent them.
    if (settingsFrom_ != kNone) {
      EXPECT_TRUE(WaitUntil(
          [&] {
            const std::vector<Call> calls = Calls();
            for (size_t i = settingsFrom_; i < calls.size(); ++i)
              if (calls[i].op == "NIVO_SetWLANConfig" && calls[i].Text("ssid") == "Harbour" &&
                  (std::stoul(calls[i].Text("dwWLFlag_in"), nullptr, 16) & 0x626) == 0x626)
                return true;
            return false;
          },
          kStepMs))
          << "Configuration's settings were not pushed";
    }
    // Meanwhile the polling thread went on with its cycles (unless a message of its own,
    // left up on purpose, holds it).
    if (GetParam().course != Course::kClosedWithMessagesUp) {
      EXPECT_GE(PollingStatusQueries(from), 2u) << "the polling thread stopped";
    }
  }

  static BOOL CALLBACK CollectChild(HWND child, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    return TRUE;
  }

  // What the page shows once used: only printable text in its visible controls (a value the driver
  // did not deliver must not show as whatever a buffer held), and the texts the fault's row
  // names.
  void ExpectDefinedTexts(const std::string& page) const {
    HWND shown = Page();
    std::vector<HWND> controls;
    EnumChildWindows(shown, CollectChild, reinterpret_cast<LPARAM>(&controls));
    for (HWND control : controls) {
      if (!IsWindowVisible(control)) continue;
      // An icon's "text" is the number of its resource.
      char className[32] = {};
      GetClassNameA(control, className, sizeof className);
      if (lstrcmpiA(className, "Static") == 0 && (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
      char text[1024] = {};
      Ask(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      for (const char* c = text; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        ASSERT_TRUE((byte >= 0x20 && byte < 0x7F) || byte == '\r' || byte == '\n')
            << page << " control " << GetDlgCtrlID(control) << " shows byte " << static_cast<int>(byte) << " in \""
            << text << "\"";
      }
    }
    for (const sweep::PageText& expected : GetParam().shows) {
      if (page != expected.page) continue;
      char text[1024] = {};
      Ask(GetDlgItem(shown, expected.control), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(std::string(text), expected.text) << page << " control " << expected.control;
    }
  }

  // A new SSID, "Apply Changes": stored now, pushed by the polling thread.
  void ApplyConfiguration() {
    ASSERT_NO_FATAL_FAILURE(ShowPage(kConfiguration));
    settingsFrom_ = Calls().size();
    Ask(Control(IDC_CONFIG_SSID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Harbour"));
    ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_CONFIG_APPLY_CHANGES); }, kStepMs)) << "the SSID edit enabled nothing";
    Click(IDC_CONFIG_APPLY_CHANGES);
    ASSERT_TRUE(WaitUntil([&] { return !Enabled(IDC_CONFIG_APPLY_CHANGES); }, kStepMs)) << "\"Apply Changes\" did not end";
  }

  bool WaitForSearchStarted(size_t triggersBefore) const {
    return WaitUntil([&] { return CallCount("NIVO_SiteSurveyTrigger") > triggersBefore; }, kStepMs);
  }

  // The search starts by itself on this visit; when its result is listed, the first row is
  // joined, which brings Link Info up.
  void SearchAndJoin() {
    const size_t triggers = CallCount("NIVO_SiteSurveyTrigger");
    const size_t results = CallCount("NIVO_SiteSurveyGet");
    ASSERT_NO_FATAL_FAILURE(ShowPage(kSiteSurvey));
    if (!WaitUntil([&] { return CallCount("NIVO_SiteSurveyTrigger") > triggers; }, 1000)) {
      Click(IDC_SURVEY_SEARCH);
      ASSERT_TRUE(WaitForSearchStarted(triggers)) << "no search";
    }
    ASSERT_TRUE(WaitUntil([&] { return CallCount("NIVO_SiteSurveyGet") > results && Enabled(IDC_SURVEY_SEARCH); }, kStepMs))
        << "the search did not end";
    HWND list = Control(IDC_SURVEY_LIST);
    const std::vector<std::vector<std::string>> rows = ForeignListRows(list);
    if (!rows.empty()) {
      const size_t zeroConfigQueries = CallCount("NIVO_Get_XPWZC");
      ASSERT_TRUE(ClickForeignListRow(list, 0));
      // The click asks whether the system manages the card before it offers "Connect".
      ASSERT_TRUE(WaitUntil([&] { return CallCount("NIVO_Get_XPWZC") > zeroConfigQueries; }, kStepMs))
          << "the click on a row was not taken";
      ASSERT_NO_FATAL_FAILURE(ExpectAnswers("the click on a row"));
    }
    if (!GetParam().canJoin) {
      EXPECT_FALSE(Enabled(IDC_SURVEY_CONNECT)) << "\"Connect\" offered";
      return;
    }
    ASSERT_FALSE(rows.empty()) << "nothing listed";
    ASSERT_TRUE(Enabled(IDC_SURVEY_CONNECT)) << "\"Connect\" not offered";
    const size_t from = Calls().size();
    Click(IDC_SURVEY_CONNECT);
    ASSERT_TRUE(WaitUntil([&] { return tabs_[CurrentIndex() < 0 ? 0 : CurrentIndex()] == kLinkInfo; }, kStepMs))
        << "the join did not bring Link Info up";
    std::vector<Call> calls = Calls();
    calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(from));
    EXPECT_TRUE(InOrder(calls, {{"NIVO_SetOperatingMode", {}}, {"NIVO_SetSSID", {{"ssid", rows[0][0].c_str()}}}}));
  }

  // 64-bit WEP with the keys the profile holds, "Apply Changes": stored, sent, re-associated.
  void ApplyEncryption() {
    ASSERT_NO_FATAL_FAILURE(ShowPage(kEncryption));
    HWND level = Control(IDC_WEP_LEVEL);
    Ask(level, CB_SETCURSEL, 1);
    Ask(Page(), WM_COMMAND, MAKEWPARAM(IDC_WEP_LEVEL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(level));
    ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_ENC_APPLY_CHANGES); }, kStepMs)) << "the level enabled nothing";
    const size_t ssidSets = CallCount("NIVO_SetSSID");
    const size_t failures = watcher_->Count(sweep::kWepChangeFailed);
    Click(IDC_ENC_APPLY_CHANGES);
    // The re-association ends the apply; a failure's message, left up, holds it before that.
    const bool heldByMessage = GetParam().course == Course::kClosedWithMessagesUp;
    ASSERT_TRUE(WaitUntil(
        [&] {
          return CallCount("NIVO_SetSSID") >= ssidSets + 2 ||
                 (heldByMessage && watcher_->Count(sweep::kWepChangeFailed) > failures);
        },
        kStepMs))
        << "no re-association after the apply";
  }

  // Ctrl and Shift held, the pointer in the page's top left corner: the library's version.
  void AboutGesture() {
    ASSERT_NO_FATAL_FAILURE(ShowPage(kAbout));
    const size_t shown = watcher_->Count(gesture_);
    PostMessageA(Page(), WM_MOUSEMOVE, MK_CONTROL | MK_SHIFT, MAKELPARAM(1, 1));
    ASSERT_TRUE(watcher_->WaitFor(gesture_, shown + 1, kStepMs)) << "the gesture showed nothing";
  }

  // ---------------------------------------------------------------- the end

  void CloseAndCheck() {
    const SweepFault& fault = GetParam();
    for (const std::string& text : fault.messages)
      EXPECT_TRUE(watcher_->WaitFor(text, 1, kStepMs)) << "not shown: \"" << text << "\"";
    BroadcastRegistered("ELEGANT_CLOSE");
    ASSERT_TRUE(utility_->WaitForExit(kExitMs)) << "\"ELEGANT_CLOSE\" did not end it";
    EXPECT_EQ(utility_->exitCode(), 0u);

    for (const std::string& text : watcher_->texts()) {
      if (text != gesture_) gShownNote += (gShownNote.empty() ? " (shown: \"" : ", \"") + text + "\"";
      const bool allowed = text == gesture_ || std::find(fault.messages.begin(), fault.messages.end(), text) !=
                                                   fault.messages.end();
      EXPECT_TRUE(allowed) << "a message the fault does not explain: \"" << text << "\"";
    }
    if (!gShownNote.empty()) gShownNote += ")";
    const std::vector<Call> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().op, "NIVO_Terminate") << "a call after NIVO_Terminate";
    EXPECT_EQ(CallCount("NIVO_Terminate"), 1u);
  }

  static constexpr size_t kNone = static_cast<size_t>(-1);
  std::unique_ptr<MessageWatcher> watcher_;
  std::string gesture_;
  HWND sheet_ = nullptr;
  std::vector<std::string> tabs_;
  size_t settingsFrom_ = kNone;
  size_t domainSets_ = 0;  // full pushes before the card was inserted again
};

TEST_P(FaultSweep, EveryPageUnderTheFault) { Run(); }

INSTANTIATE_TEST_SUITE_P(Faults, FaultSweep, ::testing::ValuesIn(sweep::FaultTable()),
                         [](const ::testing::TestParamInfo<SweepFault>& info) {
                           std::string name;
                           for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// Prints one line per fault and the total: "fault <name>: passed" or "fault <name>:
// failed: <the first failure>".
class FaultLines : public ::testing::EmptyTestEventListener {
  void OnTestProgramStart(const ::testing::UnitTest&) override { start_ = GetTickCount(); }
  void OnTestStart(const ::testing::TestInfo&) override {
    why_.clear();
    gShownNote.clear();
  }
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (!result.failed() || !why_.empty()) return;
    std::string message = result.message();
    // The assertion's own explanation, on one line.
    for (char& c : message)
      if (c == '\n') c = ' ';
    why_ = message;
  }
  void OnTestEnd(const ::testing::TestInfo& test) override {
    const char* fault = test.value_param() != nullptr ? test.value_param() : test.name();
    if (test.result()->Passed()) {
      ++passed_;
      std::printf("fault %s: passed%s\n", fault, gShownNote.c_str());
    } else {
      ++failed_;
      std::printf("fault %s: failed: %s\n", fault, why_.c_str());
    }
    std::fflush(stdout);
  }
  void OnTestProgramEnd(const ::testing::UnitTest&) override {
    std::printf("fault sweep: %d faults, %d passed, %d failed, %lu s\n", passed_ + failed_, passed_, failed_,
                static_cast<unsigned long>((GetTickCount() - start_) / 1000));
    std::fflush(stdout);
  }

  DWORD start_ = 0;
  std::string why_;
  int passed_ = 0;
  int failed_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new FaultLines);
  return RUN_ALL_TESTS();
}

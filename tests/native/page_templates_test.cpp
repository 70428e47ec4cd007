// The five pages' dialog templates as the product describes them: template id, caption, and
// every control with its id, kind and text. Ids and texts are written out here as numbers
// and words, not taken from res/resource.h, so that a wrong symbol value shows too. (The
// Wine suite checks that the compiled resources read as these templates do.)
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "framework/dialog_template.h"

namespace {

constexpr int kNone = -1;  // a control without an id of its own

// A control as the user sees it: what it is and what it says.
struct Row {
  int id;
  std::string kind;
  const char* text;  // null: any text (the page fills it in)
};

std::string KindOf(const fw::ControlTemplate& c) {
  const std::uint32_t type = c.style & 0xF;
  if (c.className == "Static") return type == 0x3 ? "icon" : "label";
  if (c.className == "Edit") return (c.style & 0x800) != 0 ? "read-only text" : "edit";
  if (c.className == "ComboBox") return (c.style & 0x3) == 0x3 ? "drop-down list" : "editable combo";
  if (c.className == "SysListView32") return "list view";
  if (c.className == "msctls_progress32") return "progress bar";
  if (c.className == "Button") {
    switch (type) {
      case 0x7: return "group box";
      case 0x9: return "radio button";
      case 0x3: return "check box";
      case 0x0:
      case 0x1: return "push button";
      default: return "button " + std::to_string(type);
    }
  }
  return c.className;
}

struct Shown {
  int id;
  std::string kind;
  std::string text;
};
std::ostream& operator<<(std::ostream& out, const Shown& s) {
  return out << s.id << " " << s.kind << " \"" << s.text << "\"";
}

std::vector<Shown> Controls(const fw::DialogTemplate& t) {
  std::vector<Shown> shown;
  for (const fw::ControlTemplate& c : t.controls) shown.push_back({c.id, KindOf(c), c.text});
  return shown;
}

// The template `id` has this caption and exactly these controls: in this order when
// `ordered`, else in any order.
void ExpectTemplate(std::uint32_t id, const char* caption, const std::vector<Row>& rows, bool ordered) {
  const fw::DialogTemplate* t = fw::FindDialogTemplate(id);
  ASSERT_NE(t, nullptr) << id;
  EXPECT_EQ(t->caption, caption);
  EXPECT_EQ(t->fontName, "Arial");
  EXPECT_EQ(t->fontSize, 8);
  std::vector<Shown> shown = Controls(*t);
  ASSERT_EQ(shown.size(), rows.size()) << ::testing::PrintToString(shown);
  std::vector<bool> used(shown.size(), false);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const Row& row = rows[r];
    const auto matches = [&](const Shown& s) {
      return s.id == row.id && s.kind == row.kind && (row.text == nullptr || s.text == row.text);
    };
    if (ordered) {
      EXPECT_TRUE(matches(shown[r])) << "position " << r << ": " << shown[r] << ", expected " << row.id << " "
                                     << row.kind << " \"" << (row.text ? row.text : "*") << "\"";
      continue;
    }
    std::size_t at = 0;
    while (at < shown.size() && (used[at] || !matches(shown[at]))) ++at;
    EXPECT_LT(at, shown.size()) << "missing: " << row.id << " " << row.kind << " \"" << (row.text ? row.text : "*")
                                << "\"";
    if (at < shown.size()) used[at] = true;
  }
}

TEST(PageTemplates, LinkInfo183InTheOrderOfThePage) {
  ExpectTemplate(183, "Link Info",
                 {{kNone, "label", "State"},
                  {1028, "read-only text", ""},
                  {1066, "label", "Current Channel"},
                  {1001, "read-only text", ""},
                  {1015, "push button", "Re-Scan"},
                  {1068, "label", "Current Transfer Rate"},
                  {1003, "read-only text", ""},
                  {kNone, "label", "Mbps"},
                  {1067, "label", "Current Service Set Identifier"},
                  {1002, "read-only text", ""},
                  {1065, "group box", "Tx/Rx(Total Frames)"},
                  {kNone, "group box", "Transmitted"},
                  {1029, "read-only text", ""},
                  {kNone, "group box", "Received"},
                  {1231, "read-only text", ""},
                  {kNone, "label", "Link Quality:"},
                  {1130, "label", ""},
                  {1129, "progress bar", ""},
                  {1100, "label", "Signal Strength:"},
                  {1101, "label", ""},
                  {1099, "progress bar", ""}},
                 true);
}

TEST(PageTemplates, Configuration182InTheOrderOfThePage) {
  ExpectTemplate(182, "Configuration",
                 {{kNone, "group box", "Profile"},
                  {1185, "editable combo", ""},
                  {1188, "push button", "Remove"},
                  {1187, "push button", "Create"},
                  {1189, "push button", "Activate"},
                  {kNone, "group box", "Configuration"},
                  {1085, "label", "Operating Mode"},
                  {1010, "drop-down list", ""},
                  {1087, "label", "Service Set Identifier\n(SSID)"},
                  {1012, "edit", ""},
                  {1086, "label", "Channel"},
                  {1011, "drop-down list", ""},
                  {1089, "label", "Power Saving Mode"},
                  {1014, "drop-down list", ""},
                  {1116, "push button", "Restore Defaults"},
                  {1117, "push button", "Undo Changes"},
                  {1118, "push button", "Apply Changes"}},
                 true);
}

TEST(PageTemplates, SiteSurvey188InTheOrderOfThePage) {
  ExpectTemplate(188, "Site Survey",
                 {{kNone, "label",
                   "The list contains available Access Points and their features. To update the list, click "
                   "'Search' button. You can select a desired Access Point from the list, and click 'Connect' "
                   "button to connect to the specified Access Point."},
                  {1131, "list view", ""},
                  {1015, "push button", "Search"},
                  {1133, "push button", "Connect"}},
                 true);
}

// The key fields of one row share a place on the page, so their order is free; so is the
// order in which the keyboard reaches the entry controls.
TEST(PageTemplates, Encryption184HoldsEveryControlOfThePage) {
  std::vector<Row> rows = {
      {61512, "label",
       "Your encryption settings must match those of your network, or your computer will be unable to "
       "communicate."},
      {1119, "label", "Encryption (WEP)"},
      {1120, "drop-down list", ""},
      {1135, "group box", "WEP Key Entry"},
      {1128, "radio button", "Create with Passphrase"},
      {1122, "label", "Passphrase"},
      {1123, "edit", ""},
      {1131, "radio button", "Manual Entry"},
      {1205, "check box", "ASCII"},
      {1092, "label", "Key 1"},
      {1093, "label", "Key 2"},
      {1094, "label", "Key 3"},
      {1095, "label", "Key 4"},
      {1096, "label", "Default Tx Key"},
      {1036, "drop-down list", ""},
      {1125, "push button", "Restore Defaults"},
      {1126, "push button", "Undo Changes"},
      {1127, "push button", "Apply Changes"},
  };
  for (int id : {1031, 1037, 1043, 1048, 1136, 1137, 1138, 1139, 1032, 1038, 1044, 1049, 1140, 1141, 1142, 1143})
    rows.push_back({id, "edit", ""});
  ExpectTemplate(184, "Encryption", rows, false);
}

TEST(PageTemplates, About181HoldsEveryControlOfThePage) {
  ExpectTemplate(181, "About",
                 {{kNone, "icon", "#128"},
                  {1081, "label", nullptr},  // the notice, written at activation
                  {1080, "label", ""},
                  {1102, "group box", "Driver"},
                  {1077, "label", "Version:"},
                  {1106, "label", "0.0"},
                  {1108, "group box", "Configuration Utility"},
                  {1109, "label", "Version:"},
                  {1110, "label", "0.0"},
                  {1111, "group box", "NIC Firmware"},
                  {1078, "label", "Version:"},
                  {1112, "label", "0.0"}},
                 true);
}

}  // namespace

// The dialog template reader: the memory backend's controls come from it, so what it makes
// of a statement must be what the resource compiler makes of it (tests/wine checks the
// program's own templates against the compiled resources).
#include <gtest/gtest.h>

#include "framework/dialog_template.h"
#include "res/resource.h"

namespace {

using fw::ControlTemplate;
using fw::DialogTemplate;

constexpr std::uint32_t kChildVisible = 0x50000000;  // WS_CHILD | WS_VISIBLE
constexpr std::uint32_t kGroup = 0x00020000, kTabStop = 0x00010000, kBorder = 0x00800000,
                        kDisabled = 0x08000000;

std::vector<DialogTemplate> Read(const std::string& body, std::string* error = nullptr) {
  fw::SymbolTable symbols;
  fw::ReadResourceSymbols("#define IDD_T 500\n#define IDC_A 1001 // a comment\n#define IDC_B (1002)\n"
                          "#define IDC_STATIC (-1)\n#define NOT_A_NUMBER something\n",
                          symbols);
  std::vector<DialogTemplate> out;
  std::string e;
  const std::string text = "// head\n#include <windows.h>\nIDD_T DIALOGEX 0, 0, 238, 201\n"
                           "STYLE DS_SETFONT | WS_CHILD | WS_DISABLED | WS_CAPTION\nCAPTION \"T\"\n"
                           "FONT 8, \"Arial\"\nBEGIN\n" + body + "END\n";
  const bool ok = fw::ReadDialogTemplates(text, symbols, out, e);
  if (error != nullptr) *error = ok ? std::string() : e;
  else EXPECT_TRUE(ok) << e;
  return out;
}

ControlTemplate One(const std::string& statement) {
  auto dialogs = Read(statement + "\n");
  if (dialogs.size() != 1 || dialogs[0].controls.size() != 1) {
    ADD_FAILURE() << statement;
    return ControlTemplate{};
  }
  return dialogs[0].controls[0];
}

TEST(DialogTemplate, TheHeadOfATemplate) {
  auto dialogs = Read("");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].id, 500u);
  EXPECT_EQ(dialogs[0].caption, "T");
  EXPECT_EQ(dialogs[0].fontName, "Arial");
  EXPECT_EQ(dialogs[0].fontSize, 8);
  EXPECT_EQ(dialogs[0].cx, 238);
  EXPECT_EQ(dialogs[0].style, 0x40 | 0x40000000u | kDisabled | 0x00C00000u);
}

// Each statement: its class, and the style the resource compiler gives it by default and
// with a style of its own (which adds to the statement's base style).
TEST(DialogTemplate, StatementsGetTheCompilersClassesAndStyles) {
  struct Case {
    const char* statement;
    const char* className;
    std::uint32_t style;
    const char* text;
  };
  const Case cases[] = {
      {"LTEXT \"Name:\", IDC_STATIC, 7, 7, 40, 10", "Static", kChildVisible | kGroup, "Name:"},
      {"RTEXT \"R\", IDC_A, 1, 2, 3, 4", "Static", kChildVisible | kGroup | 0x2, "R"},
      {"CTEXT \"C \"\"q\"\"\", IDC_A, 1, 2, 3, 4, SS_NOPREFIX", "Static", kChildVisible | 0x1 | 0x80, "C \"q\""},
      {"EDITTEXT IDC_A, 1, 2, 3, 4", "Edit", kChildVisible | kBorder | kTabStop, ""},
      {"EDITTEXT IDC_A, 1, 2, 3, 4, ES_READONLY | NOT WS_TABSTOP", "Edit", kChildVisible | kBorder | 0x800, ""},
      {"COMBOBOX IDC_A, 1, 2, 3, 4", "ComboBox", kChildVisible | 0x1 | kTabStop, ""},
      {"COMBOBOX IDC_A, 1, 2, 3, 4, CBS_DROPDOWNLIST | CBS_SORT", "ComboBox", kChildVisible | 0x3 | 0x100, ""},
      {"LISTBOX IDC_A, 1, 2, 3, 4", "ListBox", kChildVisible | 0x1 | kBorder, ""},
      {"PUSHBUTTON \"P\", IDC_A, 1, 2, 3, 4", "Button", kChildVisible | kTabStop, "P"},
      {"PUSHBUTTON \"P\", IDC_A, 1, 2, 3, 4, WS_DISABLED", "Button", kChildVisible | kDisabled | kTabStop, "P"},
      {"DEFPUSHBUTTON \"D\", IDC_A, 1, 2, 3, 4", "Button", kChildVisible | kTabStop | 0x1, "D"},
      {"GROUPBOX \"G\", IDC_A, 1, 2, 3, 4", "Button", kChildVisible | 0x7, "G"},
      {"AUTORADIOBUTTON \"A\", IDC_A, 1, 2, 3, 4, WS_GROUP", "Button", kChildVisible | 0x9 | kGroup | kTabStop, "A"},
      {"RADIOBUTTON \"R\", IDC_A, 1, 2, 3, 4", "Button", kChildVisible | 0x4 | kTabStop, "R"},
      {"AUTOCHECKBOX \"A\", IDC_A, 1, 2, 3, 4", "Button", kChildVisible | 0x3 | kTabStop, "A"},
      {"CHECKBOX \"C\", IDC_A, 1, 2, 3, 4", "Button", kChildVisible | 0x2 | kTabStop, "C"},
      {"CONTROL \"\", IDC_B, \"SysListView32\", LVS_REPORT | WS_BORDER, 1, 2, 3, 4", "SysListView32",
       kChildVisible | 0x1 | kBorder, ""},
      {"CONTROL \"\", IDC_B, \"MSCTLS_PROGRESS32\", 0x1, 1, 2, 3, 4", "msctls_progress32", kChildVisible | 0x1, ""},
      {"CONTROL \"x\", IDC_B, \"button\", BS_AUTOCHECKBOX | NOT WS_VISIBLE, 1, 2, 3, 4", "Button", 0x40000000u | 0x3, "x"},
      {"ICON IDR_X, IDC_STATIC, 11, 17, 20, 20", "Static", kChildVisible | 0x3, "#128"},
  };
  for (const Case& c : cases) {
    std::string statement = c.statement;
    // IDR_X: an icon named by a symbol.
    const auto at = statement.find("IDR_X");
    if (at != std::string::npos) statement.replace(at, 5, "128");
    const ControlTemplate control = One(statement);
    EXPECT_EQ(control.className, c.className) << c.statement;
    EXPECT_EQ(control.style, c.style) << c.statement << std::hex << " got 0x" << control.style;
    EXPECT_EQ(control.text, c.text) << c.statement;
  }
  const ControlTemplate multiLine = One("CONTROL \"\", IDC_B, \"SysListView32\",\n  LVS_REPORT,\n  10, 20, 30, 40, WS_EX_CLIENTEDGE");
  EXPECT_EQ(multiLine.id, 1002);
  EXPECT_EQ(multiLine.x, 10);
  EXPECT_EQ(multiLine.cy, 40);
  EXPECT_EQ(multiLine.exStyle, 0x200u);
  EXPECT_EQ(One("LTEXT \"t\", IDC_STATIC, 1, 2, 3, 4").id, -1);
}

TEST(DialogTemplate, WhatItCannotReadIsAnErrorWithItsLineNeverAGuess) {
  const char* const bad[] = {
      "LTEXT \"unterminated, IDC_A, 1, 2, 3, 4\n",
      "LTEXT \"t\", IDC_UNKNOWN, 1, 2, 3, 4\n",
      "SCROLLBAR IDC_A, 1, 2, 3, 4\n",
      "CONTROL \"\", IDC_A, \"RichEdit20A\", 0, 1, 2, 3, 4\n",
      "EDITTEXT IDC_A, 1, 2, 3\n",
      "EDITTEXT IDC_A 1, 2, 3, 4\n",
      "LTEXT \"t\", IDC_A, 1, 2, 3, 4, WS_BOGUS\n",
      "EDITTEXT IDC_A, 1, 2, 3, 4, ES_LEFT |\n",
      "LTEXT \"t\", IDC_A, 99999999999, 2, 3, 4\n",
      "LTEXT \"t\", IDC_A, 1, 2, 3, 4 $\n",
  };
  for (const char* body : bad) {
    std::string error;
    Read(body, &error);
    EXPECT_FALSE(error.empty()) << body;
    EXPECT_NE(error.find(':'), std::string::npos) << error;
  }
  std::string error;
  std::vector<DialogTemplate> out;
  EXPECT_FALSE(fw::ReadDialogTemplates("X DIALOGEX 0, 0, 1, 1\nBEGIN\n", {}, out, error));
  EXPECT_FALSE(fw::ReadDialogTemplates("5 DIALOGEX 0, 0, 1, 1\nBEGIN\nLTEXT \"a\", 1, 1, 1, 1, 1\n", {}, out, error));
  EXPECT_NE(error.find("END"), std::string::npos) << error;
}

TEST(DialogTemplate, TheProgramsPageTemplatesAreAllReadable) {
  EXPECT_EQ(fw::BuiltInTemplateErrors(), "");
  for (std::uint32_t id : {IDD_ABOUT, IDD_CONFIGURATION, IDD_LINK_INFO, IDD_ENCRYPTION, IDD_SITE_SURVEY}) {
    const DialogTemplate* t = fw::FindDialogTemplate(id);
    ASSERT_NE(t, nullptr) << id;
    EXPECT_EQ(t->fontName, "Arial") << id;
    EXPECT_EQ(t->fontSize, 8) << id;
  }
  EXPECT_EQ(fw::FindDialogTemplate(4242), nullptr);
}

}  // namespace

// The memory backend's controls and the real ones come from the same template: the text
// reader's view of every page template (and the test page's) must be what the resource
// compiler put into the program, control by control.
#include <gtest/gtest.h>

#include "framework/win32/windows_h.h"

#include <cstring>
#include <string>
#include <vector>

#include "framework/dialog_template.h"
#include "res/resource.h"
#include "shared/test_page_ids.h"
#include "support/page_fixture.h"

namespace {

// Reads a DLGTEMPLATEEX resource.
class TemplateBytes {
 public:
  TemplateBytes(const BYTE* data, DWORD size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  WORD Word() {
    if (pos_ + 2 > size_) return Fail();
    WORD w;
    std::memcpy(&w, data_ + pos_, 2);
    pos_ += 2;
    return w;
  }
  DWORD Dword() {
    const DWORD low = Word();
    return low | (static_cast<DWORD>(Word()) << 16);
  }
  std::string Text() {  // sz_Or_Ord
    WORD first = Word();
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    std::string out;
    while (ok_ && first != 0) {
      out += first < 0x80 ? static_cast<char>(first) : '?';
      first = Word();
    }
    return out;
  }
  void Align() { pos_ = (pos_ + 3) & ~std::size_t{3}; }
  void Skip(std::size_t n) { pos_ += n; }

 private:
  WORD Fail() {
    ok_ = false;
    return 0;
  }
  const BYTE* data_;
  DWORD size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

std::string ClassOfOrdinal(const std::string& cls) {
  if (cls == "#128") return "Button";
  if (cls == "#129") return "Edit";
  if (cls == "#130") return "Static";
  if (cls == "#131") return "ListBox";
  if (cls == "#133") return "ComboBox";
  return cls;
}

class DialogTemplateResources : public PageTest {};

TEST_F(DialogTemplateResources, EveryPageTemplateReadsAsTheCompilerBuiltIt) {
  const std::uint32_t ids[] = {IDD_ABOUT, IDD_CONFIGURATION, IDD_LINK_INFO, IDD_ENCRYPTION, IDD_SITE_SURVEY, IDD_TEST_PAGE};
  for (std::uint32_t id : ids) {
    SCOPED_TRACE(id);
    const fw::DialogTemplate* text = fw::FindDialogTemplate(id);
    ASSERT_NE(text, nullptr);
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    TemplateBytes bytes(data, SizeofResource(nullptr, found));
    EXPECT_EQ(bytes.Word(), 1);  // DLGTEMPLATEEX
    EXPECT_EQ(bytes.Word(), 0xFFFF);
    bytes.Dword();  // help id
    bytes.Dword();  // extended style
    EXPECT_EQ(bytes.Dword(), text->style);
    const WORD count = bytes.Word();
    const short rect[4] = {static_cast<short>(bytes.Word()), static_cast<short>(bytes.Word()),
                           static_cast<short>(bytes.Word()), static_cast<short>(bytes.Word())};
    EXPECT_EQ(rect[2], text->cx);
    EXPECT_EQ(rect[3], text->cy);
    bytes.Text();  // menu
    bytes.Text();  // class
    EXPECT_EQ(bytes.Text(), text->caption);
    EXPECT_EQ(bytes.Word(), text->fontSize);
    bytes.Word();   // weight
    bytes.Skip(2);  // italic, charset
    EXPECT_EQ(bytes.Text(), text->fontName);
    ASSERT_EQ(count, text->controls.size());
    for (const fw::ControlTemplate& expected : text->controls) {
      SCOPED_TRACE(expected.statement + " " + std::to_string(expected.id));
      bytes.Align();
      bytes.Dword();  // help id
      EXPECT_EQ(bytes.Dword(), expected.exStyle);
      EXPECT_EQ(bytes.Dword(), expected.style);
      EXPECT_EQ(static_cast<short>(bytes.Word()), expected.x);
      EXPECT_EQ(static_cast<short>(bytes.Word()), expected.y);
      EXPECT_EQ(static_cast<short>(bytes.Word()), expected.cx);
      EXPECT_EQ(static_cast<short>(bytes.Word()), expected.cy);
      EXPECT_EQ(static_cast<int>(bytes.Dword()), expected.id);
      // The compiler writes class names in capitals; windows classes ignore case.
      EXPECT_EQ(lstrcmpiA(ClassOfOrdinal(bytes.Text()).c_str(), expected.className.c_str()), 0) << expected.className;
      EXPECT_EQ(bytes.Text(), expected.text);
      bytes.Skip(bytes.Word());  // creation data
    }
    EXPECT_TRUE(bytes.ok());
  }
}

}  // namespace

// The dialog templates of the .rc files, read from their text: the memory backend makes a
// page's controls from the same DIALOGEX template that the resource compiler puts into the
// program, so ids, kinds, styles, texts and initial states have one source.
//
// Understood: #define lines of the resource header (symbolic ids); in the .rc text, DIALOGEX
// blocks with STYLE, EXSTYLE, CAPTION, FONT and the control statements LTEXT, RTEXT, CTEXT,
// ICON, EDITTEXT, COMBOBOX, LISTBOX, PUSHBUTTON, DEFPUSHBUTTON, GROUPBOX, AUTORADIOBUTTON,
// RADIOBUTTON, AUTOCHECKBOX, CHECKBOX and CONTROL; styles joined with | and NOT, with the
// resource compiler's default styles. Anything else in a template is an error, reported with
// its line, never guessed.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

struct ControlTemplate {
  std::string statement;   // "LTEXT", "CONTROL", ...
  std::string className;   // "Static", "Edit", "Button", "ComboBox", "ListBox",
                           // "SysListView32", "msctls_progress32"
  std::string text;        // ICON: "#<resource id>"
  int id = 0;
  std::uint32_t style = 0;  // WS_CHILD and WS_VISIBLE included, as the compiler stores it
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
  std::uint32_t id = 0;
  std::string name;        // the symbol it was declared with
  std::string caption;
  std::uint32_t style = 0;
  std::string fontName;
  int fontSize = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::vector<ControlTemplate> controls;
  const ControlTemplate* Find(int controlId) const;
};

using SymbolTable = std::map<std::string, long, std::less<>>;

// Adds the `#define NAME number` lines of a header to `symbols`.
void ReadResourceSymbols(std::string_view header, SymbolTable& symbols);

// Reads the DIALOGEX templates of an .rc text. False with `error` ("<line>: <what>") when a
// template cannot be read; the templates read before it are kept.
bool ReadDialogTemplates(std::string_view rcText, const SymbolTable& symbols,
                         std::vector<DialogTemplate>& out, std::string& error);

// The templates of the program's pages (res/resource.h and res/pages/*.rc, built into the
// framework as text), plus those a test added. Null when there is no template of that id.
const DialogTemplate* FindDialogTemplate(std::uint32_t id);
// What could not be read in the built-in texts (empty when all of it was read).
std::string BuiltInTemplateErrors();
// Adds the symbols of a header and the templates of an .rc text (a test's own page
// templates); false with `error` when the text cannot be read.
bool AddDialogTemplateSource(std::string_view header, std::string_view rcText, std::string& error);

// The built-in texts (generated from the resource files by the build).
struct EmbeddedText {
  const char* path;
  const char* text;
};
extern const EmbeddedText kEmbeddedResourceTexts[];
extern const std::size_t kEmbeddedResourceTextsCount;

}  // namespace fw

#include "framework/dialog_template.h"

#include "framework/window_styles.h"

#include <cctype>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>

namespace fw {

namespace {

constexpr std::uint32_t kWsChild = WindowStyle("WS_CHILD");
constexpr std::uint32_t kWsVisible = WindowStyle("WS_VISIBLE");
constexpr std::uint32_t kWsGroup = WindowStyle("WS_GROUP");
constexpr std::uint32_t kWsTabStop = WindowStyle("WS_TABSTOP");
constexpr std::uint32_t kWsBorder = WindowStyle("WS_BORDER");

// The style names a template may use, with their Win32 values (framework/window_styles.h).
const std::map<std::string, std::uint32_t, std::less<>>& StyleNames() {
  static const std::map<std::string, std::uint32_t, std::less<>> names = [] {
    std::map<std::string, std::uint32_t, std::less<>> table;
    for (const WindowStyleName& style : kWindowStyles) table.emplace(style.name, style.value);
    return table;
  }();
  return names;
}

// Class names of CONTROL statements, compared without regard to case.
std::optional<std::string> CanonicalClass(std::string_view name) {
  static const char* const kClasses[] = {"Button", "Edit", "Static", "ComboBox", "ListBox",
                                         "SysListView32", "msctls_progress32"};
  for (const char* known : kClasses) {
    const std::string_view k(known);
    if (k.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < k.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(k[i])) == std::tolower(static_cast<unsigned char>(name[i]));
    if (same) return std::string(k);
  }
  if (name == "WC_LISTVIEW" || name == "WC_LISTVIEWA") return std::string("SysListView32");
  if (name == "PROGRESS_CLASS" || name == "PROGRESS_CLASSA") return std::string("msctls_progress32");
  return std::nullopt;
}

struct Token {
  enum Kind { kWord, kNumber, kString, kPunct, kEnd } kind = kEnd;
  std::string text;  // words, strings (unescaped), punctuation
  long number = 0;
  int line = 0;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  bool Next(Token& token, std::string& error) {
    SkipSpaceAndComments();
    token = Token{};
    token.line = line_;
    if (pos_ >= text_.size()) return true;
    const char c = text_[pos_];
    if (c == '"') return ReadString(token, error);
    if (std::isdigit(static_cast<unsigned char>(c))) return ReadNumber(token, error);
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      std::size_t end = pos_;
      while (end < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[end])) || text_[end] == '_')) ++end;
      token.kind = Token::kWord;
      token.text.assign(text_.substr(pos_, end - pos_));
      pos_ = end;
      return true;
    }
    if (c == ',' || c == '|' || c == '(' || c == ')' || c == '{' || c == '}' || c == '-' || c == '+') {
      token.kind = Token::kPunct;
      token.text.assign(1, c);
      ++pos_;
      return true;
    }
    error = std::to_string(line_) + ": unexpected character '" + std::string(1, c) + "'";
    return false;
  }

 private:
  void SkipSpaceAndComments() {
    for (;;) {
      while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
      }
      if (text_.substr(pos_, 2) == "//") {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        continue;
      }
      if (text_.substr(pos_, 2) == "/*") {
        const std::size_t end = text_.find("*/", pos_ + 2);
        for (std::size_t i = pos_; i < (end == std::string_view::npos ? text_.size() : end); ++i)
          if (text_[i] == '\n') ++line_;
        pos_ = end == std::string_view::npos ? text_.size() : end + 2;
        continue;
      }
      // Preprocessor lines (#include, #define ...) belong to the compiler, not the templates.
      if (pos_ < text_.size() && text_[pos_] == '#' && AtLineStart()) {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        continue;
      }
      return;
    }
  }

  bool AtLineStart() const {
    std::size_t i = pos_;
    while (i > 0 && (text_[i - 1] == ' ' || text_[i - 1] == '\t')) --i;
    return i == 0 || text_[i - 1] == '\n';
  }

  bool ReadString(Token& token, std::string& error) {
    token.kind = Token::kString;
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size() || text_[pos_] == '\n') {
        error = std::to_string(token.line) + ": unterminated text";
        return false;
      }
      const char c = text_[pos_++];
      if (c == '"') {
        if (pos_ < text_.size() && text_[pos_] == '"') {  // "" stands for one quote
          token.text += '"';
          ++pos_;
          continue;
        }
        return true;
      }
      if (c == '\\' && pos_ < text_.size()) {
        const char e = text_[pos_++];
        switch (e) {
          case 'n': token.text += '\n'; break;
          case 't': token.text += '\t'; break;
          case 'r': token.text += '\r'; break;
          case 'a': token.text += '\a'; break;
          case '\\': token.text += '\\'; break;
          case '"': token.text += '"'; break;
          default:
            token.text += '\\';
            token.text += e;
            break;
        }
        continue;
      }
      token.text += c;
    }
  }

  bool ReadNumber(Token& token, std::string& error) {
    std::size_t end = pos_;
    while (end < text_.size() && std::isalnum(static_cast<unsigned char>(text_[end]))) ++end;
    std::string digits(text_.substr(pos_, end - pos_));
    pos_ = end;
    // The resource compiler's suffix L (long) changes nothing here.
    if (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l')) digits.pop_back();
    char* stop = nullptr;
    const unsigned long long value = std::strtoull(digits.c_str(), &stop, 0);
    if (digits.empty() || stop == nullptr || *stop != '\0' || value > 0xFFFFFFFFull) {
      error = std::to_string(line_) + ": bad number '" + digits + "'";
      return false;
    }
    token.kind = Token::kNumber;
    token.number = static_cast<long>(value);
    token.text = digits;
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

bool IsControlStatement(const std::string& word) {
  static const char* const kStatements[] = {
      "LTEXT", "RTEXT", "CTEXT", "ICON", "EDITTEXT", "COMBOBOX", "LISTBOX", "PUSHBUTTON",
      "DEFPUSHBUTTON", "GROUPBOX", "AUTORADIOBUTTON", "RADIOBUTTON", "AUTOCHECKBOX",
      "CHECKBOX", "CONTROL"};
  for (const char* s : kStatements)
    if (word == s) return true;
  return false;
}

// The resource compiler's styles per statement: `base` when the statement gives a style
// (which is added to it), `fallback` when it gives none. WS_CHILD | WS_VISIBLE always.
struct StatementInfo {
  const char* className;
  bool hasText;
  std::uint32_t base;
  std::uint32_t fallback;
};

std::optional<StatementInfo> InfoOf(const std::string& statement) {
  if (statement == "LTEXT") return StatementInfo{"Static", true, 0x0, 0x0 | kWsGroup};
  if (statement == "CTEXT") return StatementInfo{"Static", true, 0x1, 0x1 | kWsGroup};
  if (statement == "RTEXT") return StatementInfo{"Static", true, 0x2, 0x2 | kWsGroup};
  if (statement == "ICON") return StatementInfo{"Static", true, 0x3, 0x3};
  if (statement == "EDITTEXT") return StatementInfo{"Edit", false, kWsBorder | kWsTabStop, kWsBorder | kWsTabStop};
  if (statement == "COMBOBOX") return StatementInfo{"ComboBox", false, 0x0, 0x1 | kWsTabStop};
  if (statement == "LISTBOX") return StatementInfo{"ListBox", false, 0x1 | kWsBorder, 0x1 | kWsBorder};
  if (statement == "PUSHBUTTON") return StatementInfo{"Button", true, 0x0 | kWsTabStop, 0x0 | kWsTabStop};
  if (statement == "DEFPUSHBUTTON") return StatementInfo{"Button", true, 0x1 | kWsTabStop, 0x1 | kWsTabStop};
  if (statement == "GROUPBOX") return StatementInfo{"Button", true, 0x7, 0x7};
  if (statement == "AUTORADIOBUTTON") return StatementInfo{"Button", true, 0x9 | kWsTabStop, 0x9 | kWsTabStop};
  if (statement == "RADIOBUTTON") return StatementInfo{"Button", true, 0x4 | kWsTabStop, 0x4 | kWsTabStop};
  if (statement == "AUTOCHECKBOX") return StatementInfo{"Button", true, 0x3 | kWsTabStop, 0x3 | kWsTabStop};
  if (statement == "CHECKBOX") return StatementInfo{"Button", true, 0x2 | kWsTabStop, 0x2 | kWsTabStop};
  if (statement == "CONTROL") return StatementInfo{"", true, 0x0, 0x0};
  return std::nullopt;
}

// Reads the tokens of one template into statements.
class TemplateReader {
 public:
  TemplateReader(std::string_view text, const SymbolTable& symbols) : lexer_(text), symbols_(symbols) {}

  bool ReadAll(std::vector<DialogTemplate>& out, std::string& error) {
    if (!Advance(error)) return false;
    while (token_.kind != Token::kEnd) {
      // NAME DIALOGEX ...; anything else at top level (ICON, STRINGTABLE, VERSIONINFO ...)
      // is not a template: skip to the next word that starts a DIALOGEX.
      if (token_.kind == Token::kWord || token_.kind == Token::kNumber) {
        Token name = token_;
        if (!Advance(error)) return false;
        if (token_.kind == Token::kWord && token_.text == "DIALOGEX") {
          DialogTemplate dialog;
          if (!ReadDialog(name, dialog, error)) return false;
          out.push_back(std::move(dialog));
          continue;
        }
        continue;
      }
      if (!Advance(error)) return false;
    }
    return true;
  }

 private:
  bool Advance(std::string& error) { return lexer_.Next(token_, error); }

  bool Fail(std::string& error, const std::string& what) {
    error = std::to_string(token_.line) + ": " + what;
    return false;
  }

  bool IsWord(const char* word) const { return token_.kind == Token::kWord && token_.text == word; }
  bool IsPunct(char c) const { return token_.kind == Token::kPunct && token_.text.size() == 1 && token_.text[0] == c; }

  bool Resolve(const Token& t, long& value, std::string& error) {
    if (t.kind == Token::kNumber) {
      value = t.number;
      return true;
    }
    if (t.kind == Token::kWord) {
      auto sym = symbols_.find(t.text);
      if (sym != symbols_.end()) {
        value = sym->second;
        return true;
      }
      auto style = StyleNames().find(t.text);
      if (style != StyleNames().end()) {
        value = static_cast<long>(style->second);
        return true;
      }
      error = std::to_string(t.line) + ": unknown name '" + t.text + "'";
      return false;
    }
    error = std::to_string(t.line) + ": a number or name was expected";
    return false;
  }

  // A number: [-] term, term = number | name | ( expression ); terms may be joined with |
  // and +.
  bool ReadNumber(long& value, std::string& error) {
    if (!ReadTerm(value, error)) return false;
    while (IsPunct('|') || IsPunct('+')) {
      const bool orJoin = IsPunct('|');
      if (!Advance(error)) return false;
      long next = 0;
      if (!ReadTerm(next, error)) return false;
      value = orJoin ? static_cast<long>(static_cast<std::uint32_t>(value) | static_cast<std::uint32_t>(next)) : value + next;
    }
    return true;
  }

  bool ReadTerm(long& value, std::string& error) {
    bool negative = false;
    if (IsPunct('-')) {
      negative = true;
      if (!Advance(error)) return false;
    }
    if (IsPunct('(')) {
      if (!Advance(error)) return false;
      if (!ReadNumber(value, error)) return false;
      if (!IsPunct(')')) return Fail(error, "')' expected");
    } else if (!Resolve(token_, value, error)) {
      return false;
    }
    if (negative) value = -value;
    return Advance(error);
  }

  // A style: terms joined with |, each possibly NOT, applied to `style` in order.
  bool ReadStyle(std::uint32_t& style, std::string& error) {
    for (;;) {
      bool remove = false;
      if (IsWord("NOT")) {
        remove = true;
        if (!Advance(error)) return false;
      }
      long term = 0;
      if (!ReadTerm(term, error)) return false;
      if (remove) {
        style &= ~static_cast<std::uint32_t>(term);
      } else {
        style |= static_cast<std::uint32_t>(term);
      }
      if (!IsPunct('|')) return true;
      if (!Advance(error)) return false;
    }
  }

  bool ExpectComma(std::string& error) {
    if (!IsPunct(',')) return Fail(error, "',' expected");
    return Advance(error);
  }

  bool ReadDialog(const Token& name, DialogTemplate& dialog, std::string& error) {
    long id = 0;
    if (!Resolve(name, id, error)) return false;
    dialog.id = static_cast<std::uint32_t>(id);
    dialog.name = name.text;
    if (!Advance(error)) return false;  // past DIALOGEX
    long rect[4] = {};
    for (int i = 0; i < 4; ++i) {
      if (i > 0 && !ExpectComma(error)) return false;
      if (!ReadNumber(rect[i], error)) return false;
    }
    dialog.x = static_cast<int>(rect[0]);
    dialog.y = static_cast<int>(rect[1]);
    dialog.cx = static_cast<int>(rect[2]);
    dialog.cy = static_cast<int>(rect[3]);
    if (IsPunct(',')) {  // help id
      long help = 0;
      if (!Advance(error) || !ReadNumber(help, error)) return false;
    }
    for (;;) {
      if (IsWord("STYLE")) {
        if (!Advance(error)) return false;
        dialog.style = 0;
        if (!ReadStyle(dialog.style, error)) return false;
      } else if (IsWord("EXSTYLE")) {
        if (!Advance(error)) return false;
        std::uint32_t ex = 0;
        if (!ReadStyle(ex, error)) return false;
      } else if (IsWord("CAPTION")) {
        if (!Advance(error)) return false;
        if (token_.kind != Token::kString) return Fail(error, "caption text expected");
        dialog.caption = token_.text;
        if (!Advance(error)) return false;
      } else if (IsWord("FONT")) {
        if (!Advance(error)) return false;
        long size = 0;
        if (!ReadNumber(size, error) || !ExpectComma(error)) return false;
        if (token_.kind != Token::kString) return Fail(error, "font name expected");
        dialog.fontSize = static_cast<int>(size);
        dialog.fontName = token_.text;
        if (!Advance(error)) return false;
        while (IsPunct(',')) {  // weight, italic, charset
          long ignored = 0;
          if (!Advance(error) || !ReadNumber(ignored, error)) return false;
        }
      } else if (IsWord("BEGIN") || IsPunct('{')) {
        if (!Advance(error)) return false;
        break;
      } else {
        return Fail(error, "unexpected '" + token_.text + "' in the head of " + dialog.name);
      }
    }
    for (;;) {
      if (IsWord("END") || IsPunct('}')) return Advance(error);
      if (token_.kind == Token::kEnd) return Fail(error, "END of " + dialog.name + " missing");
      if (token_.kind != Token::kWord || !IsControlStatement(token_.text))
        return Fail(error, "unknown statement '" + token_.text + "' in " + dialog.name);
      ControlTemplate control;
      if (!ReadControl(control, error)) return false;
      dialog.controls.push_back(std::move(control));
    }
  }

  bool ReadText(std::string& text, bool iconResource, std::string& error) {
    if (token_.kind == Token::kString) {
      text = token_.text;
      return Advance(error);
    }
    if (iconResource) {  // an icon named by its resource id
      long value = 0;
      if (!ReadNumber(value, error)) return false;
      text = "#" + std::to_string(value);
      return true;
    }
    return Fail(error, "a text in quotes was expected");
  }

  bool ReadControl(ControlTemplate& control, std::string& error) {
    control.statement = token_.text;
    const StatementInfo info = *InfoOf(control.statement);
    control.className = info.className;
    const bool isControl = control.statement == "CONTROL";
    const bool isIcon = control.statement == "ICON";
    if (!Advance(error)) return false;
    if (info.hasText) {
      if (!ReadText(control.text, isIcon, error) || !ExpectComma(error)) return false;
    }
    long id = 0;
    if (!ReadNumber(id, error)) return false;
    control.id = static_cast<int>(id);
    std::uint32_t style = kWsChild | kWsVisible | info.fallback;
    if (isControl) {
      if (!ExpectComma(error)) return false;
      if (token_.kind != Token::kString && token_.kind != Token::kWord) return Fail(error, "class name expected");
      auto cls = CanonicalClass(token_.text);
      if (!cls) return Fail(error, "class '" + token_.text + "' is not supported");
      control.className = *cls;
      if (!Advance(error) || !ExpectComma(error)) return false;
      style = kWsChild | kWsVisible;
      if (!ReadStyle(style, error)) return false;
    }
    long rect[4] = {};
    const int required = isIcon ? 2 : 4;
    for (int i = 0; i < 4; ++i) {
      if (i >= required && !IsPunct(',')) break;
      if (!ExpectComma(error)) return false;
      if (!ReadNumber(rect[i], error)) return false;
    }
    control.x = static_cast<int>(rect[0]);
    control.y = static_cast<int>(rect[1]);
    // An icon takes the size of its picture: the compiler stores none.
    control.cx = isIcon ? 0 : static_cast<int>(rect[2]);
    control.cy = isIcon ? 0 : static_cast<int>(rect[3]);
    if (!isControl && IsPunct(',')) {
      if (!Advance(error)) return false;
      style = kWsChild | kWsVisible | info.base;
      if (!ReadStyle(style, error)) return false;
    }
    if (IsPunct(',')) {
      if (!Advance(error)) return false;
      std::uint32_t ex = 0;
      if (!ReadStyle(ex, error)) return false;
      control.exStyle = ex;
    }
    control.style = style;
    return true;
  }

  Lexer lexer_;
  const SymbolTable& symbols_;
  Token token_;
};

struct Catalogue {
  std::mutex lock;
  bool loaded = false;
  SymbolTable symbols;
  std::vector<std::unique_ptr<DialogTemplate>> templates;
  std::string error;
};

Catalogue& TheCatalogue() {
  static Catalogue catalogue;
  return catalogue;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

void LoadBuiltIn(Catalogue& c) {
  if (c.loaded) return;
  c.loaded = true;
  for (std::size_t i = 0; i < kEmbeddedResourceTextsCount; ++i)
    if (EndsWith(kEmbeddedResourceTexts[i].path, ".h")) ReadResourceSymbols(kEmbeddedResourceTexts[i].text, c.symbols);
  for (std::size_t i = 0; i < kEmbeddedResourceTextsCount; ++i) {
    if (!EndsWith(kEmbeddedResourceTexts[i].path, ".rc")) continue;
    std::vector<DialogTemplate> read;
    std::string error;
    if (!ReadDialogTemplates(kEmbeddedResourceTexts[i].text, c.symbols, read, error))
      c.error += std::string(kEmbeddedResourceTexts[i].path) + ":" + error + "\n";
    for (DialogTemplate& t : read) c.templates.push_back(std::make_unique<DialogTemplate>(std::move(t)));
  }
}

}  // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
  for (const ControlTemplate& c : controls)
    if (c.id == controlId) return &c;
  return nullptr;
}

void ReadResourceSymbols(std::string_view header, SymbolTable& symbols) {
  std::size_t pos = 0;
  while (pos < header.size()) {
    std::size_t end = header.find('\n', pos);
    if (end == std::string_view::npos) end = header.size();
    std::string_view line = header.substr(pos, end - pos);
    pos = end + 1;
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (line.substr(i, 7) != "#define") continue;
    i += 7;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t nameEnd = i;
    while (nameEnd < line.size() && (std::isalnum(static_cast<unsigned char>(line[nameEnd])) || line[nameEnd] == '_')) ++nameEnd;
    if (nameEnd == i) continue;
    const std::string name(line.substr(i, nameEnd - i));
    std::string value(line.substr(nameEnd));
    // The value: a number, possibly in parentheses and negative; a comment may follow.
    const std::size_t comment = value.find("//");
    if (comment != std::string::npos) value.resize(comment);
    std::string digits;
    for (char ch : value)
      if (ch != ' ' && ch != '\t' && ch != '(' && ch != ')' && ch != '\r') digits += ch;
    if (digits.empty()) continue;
    char* stop = nullptr;
    const long number = std::strtol(digits.c_str(), &stop, 0);
    if (stop == nullptr || *stop != '\0') continue;
    symbols[name] = number;
  }
}

bool ReadDialogTemplates(std::string_view rcText, const SymbolTable& symbols,
                         std::vector<DialogTemplate>& out, std::string& error) {
  TemplateReader reader(rcText, symbols);
  return reader.ReadAll(out, error);
}

const DialogTemplate* FindDialogTemplate(std::uint32_t id) {
  Catalogue& c = TheCatalogue();
  std::lock_guard<std::mutex> guard(c.lock);
  LoadBuiltIn(c);
  // The latest template of an id wins, so a test's template can stand in for a page's.
  for (auto it = c.templates.rbegin(); it != c.templates.rend(); ++it)
    if ((*it)->id == id) return it->get();
  return nullptr;
}

std::string BuiltInTemplateErrors() {
  Catalogue& c = TheCatalogue();
  std::lock_guard<std::mutex> guard(c.lock);
  LoadBuiltIn(c);
  return c.error;
}

bool AddDialogTemplateSource(std::string_view header, std::string_view rcText, std::string& error) {
  Catalogue& c = TheCatalogue();
  std::lock_guard<std::mutex> guard(c.lock);
  LoadBuiltIn(c);
  ReadResourceSymbols(header, c.symbols);
  std::vector<DialogTemplate> read;
  const bool ok = ReadDialogTemplates(rcText, c.symbols, read, error);
  for (DialogTemplate& t : read) c.templates.push_back(std::make_unique<DialogTemplate>(std::move(t)));
  return ok;
}

}  // namespace fw

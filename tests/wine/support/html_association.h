// The program that opens .html files, set for a test and put back afterwards: the help
// tests make a stand-in browser (tests/wine/guide_opener) open the user's guide.
#pragma once
#include <windows.h>

#include <string>

namespace winetest {

// Makes `opener` the program that opens .html files, for the life of the object; the
// previous association, if any, comes back afterwards. (Wine's prefix has none of its own.)
class HtmlAssociation {
 public:
  explicit HtmlAssociation(const std::string& opener) {
    HKEY existing = nullptr;
    hadKey_ = RegOpenKeyA(HKEY_CLASSES_ROOT, ".html", &existing) == ERROR_SUCCESS;
    if (hadKey_) RegCloseKey(existing);
    char previous[256] = {};
    LONG size = sizeof previous;
    hadPrevious_ = RegQueryValueA(HKEY_CLASSES_ROOT, ".html", previous, &size) == ERROR_SUCCESS && previous[0] != 0;
    previous_ = previous;
    RegSetValueA(HKEY_CLASSES_ROOT, ".html", REG_SZ, kProgId, sizeof kProgId - 1);
    const std::string command = "\"" + opener + "\" \"%1\"";
    RegSetValueA(HKEY_CLASSES_ROOT, "TW7720GuideTest\\shell\\open\\command", REG_SZ, command.c_str(),
                 static_cast<DWORD>(command.size()));
  }
  ~HtmlAssociation() {
    // Innermost key first: a key with subkeys cannot be deleted.
    for (const char* key : {"TW7720GuideTest\\shell\\open\\command", "TW7720GuideTest\\shell\\open",
                            "TW7720GuideTest\\shell", "TW7720GuideTest"})
      RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
    if (hadPrevious_) {
      RegSetValueA(HKEY_CLASSES_ROOT, ".html", REG_SZ, previous_.c_str(), static_cast<DWORD>(previous_.size()));
    } else if (!hadKey_) {
      RegDeleteKeyA(HKEY_CLASSES_ROOT, ".html");
    } else if (HKEY key = nullptr; RegOpenKeyA(HKEY_CLASSES_ROOT, ".html", &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "");
      RegCloseKey(key);
    }
  }
  HtmlAssociation(const HtmlAssociation&) = delete;
  HtmlAssociation& operator=(const HtmlAssociation&) = delete;

 private:
  static constexpr char kProgId[] = "TW7720GuideTest";
  bool hadKey_ = false;
  bool hadPrevious_ = false;
  std::string previous_;
};

}  // namespace winetest

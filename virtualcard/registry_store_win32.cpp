#include "virtualcard/registry_store.h"

#include <algorithm>
#include <vector>

#include "framework/win32/windows_h.h"

namespace vcard {
namespace {

constexpr char kActiveValue[] = "ActiveWireless";
constexpr char kDriverValue[] = "Settings";

std::string KeyPath(const std::string& root, const char* sub) {
  std::string path = "Software\\" + root;
  if (sub) path += std::string("\\") + sub;
  return path;
}

// An open registry key, closed on destruction.
class Key {
 public:
  Key(const std::string& path, bool create) {
    LONG r = create ? RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                      &key_, nullptr)
                    : RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, &key_);
    if (r != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
};

bool ReadRecord(HKEY key, const char* name, ProfileWireless& out) {
  DWORD type = 0, size = sizeof(ProfileWireless);
  ProfileWireless record;
  LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&record), &size);
  if (r != ERROR_SUCCESS || type != REG_BINARY || size != sizeof(ProfileWireless)) return false;
  out = record;
  return true;
}

bool WriteRecord(HKEY key, const char* name, const ProfileWireless& record) {
  return RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&record), sizeof record) ==
         ERROR_SUCCESS;
}

}  // namespace

std::vector<std::string> RegistryProfileStore::List(const std::string& root) {
  std::vector<std::string> names;
  Key key(KeyPath(root, "Wireless"), false);
  if (!key) return names;
  std::vector<char> name(16384);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size()), type = 0, dataSize = 0;
    LONG r = RegEnumValueA(key.get(), i, name.data(), &nameSize, nullptr, &type, nullptr, &dataSize);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS) break;
    if (type == REG_BINARY && dataSize == sizeof(ProfileWireless) && nameSize > 0)
      names.emplace_back(name.data(), nameSize);
  }
  std::sort(names.begin(), names.end(), NameLess());
  return names;
}

bool RegistryProfileStore::Load(const std::string& root, const std::string& name, ProfileWireless& out) {
  Key key(KeyPath(root, "Wireless"), false);
  return key && ReadRecord(key.get(), name.c_str(), out);
}

bool RegistryProfileStore::Store(const std::string& root, const std::string& name, const ProfileWireless& profile) {
  Key key(KeyPath(root, "Wireless"), true);
  return key && WriteRecord(key.get(), name.c_str(), profile);
}

bool RegistryProfileStore::Remove(const std::string& root, const std::string& name) {
  Key key(KeyPath(root, "Wireless"), false);
  return key && RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

std::optional<std::string> RegistryProfileStore::Active(const std::string& root) {
  Key key(KeyPath(root, nullptr), false);
  if (!key) return std::nullopt;
  char text[MAX_PATH + 1] = {};
  DWORD type = 0, size = MAX_PATH;
  if (RegQueryValueExA(key.get(), kActiveValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  text[std::min<DWORD>(size, MAX_PATH)] = '\0';  // a stored text need not be terminated
  if (text[0] == '\0') return std::nullopt;
  return std::string(text);
}

bool RegistryProfileStore::SetActive(const std::string& root, const std::string& name) {
  Key key(KeyPath(root, nullptr), true);
  return key && RegSetValueExA(key.get(), kActiveValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                               static_cast<DWORD>(name.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryProfileStore::ClearActive(const std::string& root) {
  Key key(KeyPath(root, nullptr), false);
  if (!key) return true;
  LONG r = RegDeleteValueA(key.get(), kActiveValue);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

bool RegistryProfileStore::StoreDriverSettings(const std::string& root, const ProfileWireless& profile) {
  Key key(KeyPath(root, "Driver"), true);
  return key && WriteRecord(key.get(), kDriverValue, profile);
}

bool RegistryProfileStore::LoadDriverSettings(const std::string& root, ProfileWireless& out) {
  Key key(KeyPath(root, "Driver"), false);
  return key && ReadRecord(key.get(), kDriverValue, out);
}

}  // namespace vcard

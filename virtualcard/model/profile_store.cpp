#include "virtualcard/model/profile_store.h"

#include <cctype>

namespace vcard {

bool NameLess::operator()(const std::string& a, const std::string& b) const {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i]));
    int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::vector<std::string> MemoryProfileStore::List(const std::string& root) {
  std::vector<std::string> names;
  for (const auto& [name, profile] : roots_[root].profiles) names.push_back(name);
  return names;
}

bool MemoryProfileStore::Load(const std::string& root, const std::string& name, ProfileWireless& out) {
  auto& profiles = roots_[root].profiles;
  auto it = profiles.find(name);
  if (it == profiles.end()) return false;
  out = it->second;
  return true;
}

bool MemoryProfileStore::Store(const std::string& root, const std::string& name, const ProfileWireless& profile) {
  auto& profiles = roots_[root].profiles;
  auto it = profiles.find(name);
  if (it != profiles.end()) profiles.erase(it);  // the stored name takes the new spelling
  profiles.emplace(name, profile);
  return true;
}

bool MemoryProfileStore::Remove(const std::string& root, const std::string& name) {
  return roots_[root].profiles.erase(name) > 0;
}

std::optional<std::string> MemoryProfileStore::Active(const std::string& root) { return roots_[root].active; }

bool MemoryProfileStore::SetActive(const std::string& root, const std::string& name) {
  roots_[root].active = name;
  return true;
}

bool MemoryProfileStore::ClearActive(const std::string& root) {
  roots_[root].active.reset();
  return true;
}

bool MemoryProfileStore::StoreDriverSettings(const std::string& root, const ProfileWireless& profile) {
  roots_[root].driver = profile;
  return true;
}

bool MemoryProfileStore::LoadDriverSettings(const std::string& root, ProfileWireless& out) {
  auto& driver = roots_[root].driver;
  if (!driver) return false;
  out = *driver;
  return true;
}

}  // namespace vcard

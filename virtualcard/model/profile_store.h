// Where the virtual card keeps the profiles of type 1 and the driver settings: in memory
// (native tests) or in the registry under HKCU\Software\<root> (the DLL). Every store writes
// the whole 1760-byte record in one step or nothing. Names compare without regard to case,
// as registry value names do.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "driver/nivo_records.h"

namespace vcard {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The profile names under the root, sorted without regard to case.
  virtual std::vector<std::string> List(const std::string& root) = 0;
  virtual bool Load(const std::string& root, const std::string& name, ProfileWireless& out) = 0;
  virtual bool Store(const std::string& root, const std::string& name, const ProfileWireless& profile) = 0;
  virtual bool Remove(const std::string& root, const std::string& name) = 0;
  virtual std::optional<std::string> Active(const std::string& root) = 0;
  virtual bool SetActive(const std::string& root, const std::string& name) = 0;
  virtual bool ClearActive(const std::string& root) = 0;
  virtual bool StoreDriverSettings(const std::string& root, const ProfileWireless& profile) = 0;
  virtual bool LoadDriverSettings(const std::string& root, ProfileWireless& out) = 0;
};

// Case-insensitive ordering of names (ASCII letters).
struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class MemoryProfileStore : public ProfileStore {
 public:
  std::vector<std::string> List(const std::string& root) override;
  bool Load(const std::string& root, const std::string& name, ProfileWireless& out) override;
  bool Store(const std::string& root, const std::string& name, const ProfileWireless& profile) override;
  bool Remove(const std::string& root, const std::string& name) override;
  std::optional<std::string> Active(const std::string& root) override;
  bool SetActive(const std::string& root, const std::string& name) override;
  bool ClearActive(const std::string& root) override;
  bool StoreDriverSettings(const std::string& root, const ProfileWireless& profile) override;
  bool LoadDriverSettings(const std::string& root, ProfileWireless& out) override;

 private:
  struct Root {
    std::map<std::string, ProfileWireless, NameLess> profiles;
    std::optional<std::string> active;
    std::optional<ProfileWireless> driver;
  };
  std::map<std::string, Root, NameLess> roots_;
};

}  // namespace vcard

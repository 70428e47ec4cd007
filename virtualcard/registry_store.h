// Profiles of type 1 and the driver settings in the registry of the current user:
//   HKCU\Software\<root>\Wireless   one REG_BINARY value of 1760 bytes per profile, named by it
//   HKCU\Software\<root>            REG_SZ value "ActiveWireless": the active profile's name
//   HKCU\Software\<root>\Driver     REG_BINARY value "Settings": the last NIVO_SetDriverReg record
// A store is one RegSetValueExA of the whole record, so a profile is there whole or not at all.
// Values of another type or size are not profiles and are ignored.
#pragma once
#include "virtualcard/model/profile_store.h"

namespace vcard {

class RegistryProfileStore : public ProfileStore {
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
};

}  // namespace vcard

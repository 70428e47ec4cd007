// The virtual card's profile operations: the root they live under, the stored profiles, the
// active one and the driver's stored settings that an insertion starts from.
#include <algorithm>
#include <cstring>

#include "virtualcard/model/card_fields.h"
#include "virtualcard/model/virtual_card.h"

namespace vcard {
namespace {

constexpr std::size_t kMaxRootLength = 200;
constexpr std::size_t kMaxProfileNameLength = 64;

// A profile name the card serves: 1..64 characters, none of them a control character.
bool ServableName(std::string_view name) {
  if (name.empty() || name.size() > kMaxProfileNameLength) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

bool ValidName(const char* name) {
  return name && ServableName(std::string_view(name, BoundedLength(name, kMaxProfileNameLength + 1)));
}

// The names of the stored profiles the card can serve. A damaged store may hold others (too
// long, empty, with control characters): no call could name them, so none lists them.
std::vector<std::string> ServableNames(ProfileStore& store, const std::string& root) {
  std::vector<std::string> names = store.List(root);
  names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return !ServableName(n); }),
              names.end());
  return names;
}

// The active profile's name as stored, when it is one the card can serve.
std::optional<std::string> ServableActive(ProfileStore& store, const std::string& root) {
  std::optional<std::string> active = store.Active(root);
  if (active && !ServableName(*active)) active.reset();
  return active;
}

}  // namespace

std::int32_t VirtualCard::AnswerNIVO_SetProfileRoot(const char* root) {
  Advance();
  std::int32_t result = -1;
  if (root) {
    std::size_t n = BoundedLength(root, kMaxRootLength + 1);
    std::string_view text(root, n);
    bool ok = n > 0 && n <= kMaxRootLength && text.front() != '\\' && text.back() != '\\' &&
              text.find("\\\\") == std::string_view::npos;
    for (char c : text) ok = ok && static_cast<unsigned char>(c) >= 0x20;
    if (ok) {
      root_ = std::string(text);
      result = 0;
    }
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_EnumProfilesByType(std::int32_t index, char* nameOut, std::int32_t type) {
  Advance();
  std::int32_t result = kNivoNoProfileAtIndex;
  if (!nameOut) {
    result = -1;
  } else if (type == kProfileTypeWireless && !root_.empty() && index >= 0) {
    std::vector<std::string> names = ServableNames(*store_, root_);
    if (static_cast<std::size_t>(index) < names.size()) {
      CopyOut(nameOut, kProfileNameBufferSize, names[index]);
      result = 0;
    }
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_GetActiveProfileByType(char* nameOut, std::int32_t type) {
  Advance();
  std::int32_t result = kNivoNoActiveProfile;
  if (!nameOut) {
    result = -1;
  } else if (type == kProfileTypeWireless && !root_.empty()) {
    std::optional<std::string> active = ServableActive(*store_, root_);
    ProfileWireless scratch;
    if (active && store_->Load(root_, *active, scratch)) {
      CopyOut(nameOut, kProfileNameBufferSize, *active);
      result = 0;
    }
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SetActiveProfileByType(const char* name, std::int32_t type) {
  Advance();
  std::int32_t result = -1;
  if (ValidName(name) && !root_.empty()) {
    std::string stored;  // the name as the profile was stored
    for (const std::string& n : ServableNames(*store_, root_))
      if (EqualNoCase(n, name)) stored = n;
    // A name not stored yet may be made active: the utility names "Default" active first
    // and stores it right after, as a driver library allows.
    // NIVO_GetActiveProfileByType names it only once it is stored.
    if (stored.empty()) stored = name;
    if (type != kProfileTypeWireless)
      result = kNivoNoProfileAtIndex;
    else if (!world_.faults.store && store_->SetActive(root_, stored)) result = 0;
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_DeleteProfileByType(const char* name, std::int32_t type) {
  Advance();
  std::int32_t result = -1;
  ProfileWireless scratch;
  if (ValidName(name) && !root_.empty()) {
    if (type != kProfileTypeWireless || !store_->Load(root_, name, scratch)) {
      result = kNivoNoProfileAtIndex;
    } else if (!world_.faults.store && store_->Remove(root_, name)) {
      std::optional<std::string> active = store_->Active(root_);
      if (active && EqualNoCase(*active, name)) store_->ClearActive(root_);
      result = 0;
    }
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_GetProfileWireless(const char* name, ProfileWireless* profile) {
  Advance();
  std::int32_t result = -1;
  std::optional<std::string> target;
  if (name) target = std::string(name, BoundedLength(name, kMaxTextArgument));
  else if (!root_.empty()) target = ServableActive(*store_, root_);
  if (!profile || root_.empty() || (name && !ValidName(name))) {
    result = -1;
  } else if (!target) {
    result = kNivoNoActiveProfile;
  } else {
    ProfileWireless loaded;
    if (store_->Load(root_, *target, loaded)) {
      *profile = loaded;
      result = 0;
    } else {
      result = kNivoNoProfileAtIndex;
    }
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SetProfileWireless(const char* nameOrNull, ProfileWireless* profile) {
  Advance();
  std::int32_t result = -1;
  std::optional<std::string> target;
  if (nameOrNull) target = std::string(nameOrNull, BoundedLength(nameOrNull, kMaxTextArgument));
  else if (!root_.empty()) target = ServableActive(*store_, root_);
  if (!profile || root_.empty() || (nameOrNull && !ValidName(nameOrNull))) {
    result = -1;
  } else if (!target) {
    result = kNivoNoActiveProfile;
  } else if (!world_.faults.store && store_->Store(root_, *target, *profile)) {
    result = 0;
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SetDriverReg(ProfileWireless* profile) {
  Advance();
  std::int32_t result = -1;
  if (profile) {
    if (!root_.empty() && !world_.faults.store && store_->StoreDriverSettings(root_, *profile)) {
      // What the card starts from when it is inserted again.
      LiveConfig& c = driverSettingsConfig_;
      c.ssid.assign(profile->ssid, BoundedLength(profile->ssid, kMaxSsidLength));
      c.infrastructureMode = profile->operatingMode == 0 ? 0 : 1;
      if (ChannelToFrequencyKHz(profile->channel) != 0) c.channel = profile->channel;
      c.wepStatus = profile->encryptionLevel == 0 ? 1 : 0;
      std::size_t keyLength = profile->encryptionLevel == 1 ? 5 : 13;
      for (int s = 0; s < kWepKeyCount; ++s) {
        std::vector<std::uint8_t> bytes;
        std::string_view text(profile->activeKeyText[s], BoundedLength(profile->activeKeyText[s], kKeyText128Size));
        c.keys[s].set = ParseHexBytes(text, bytes) && bytes.size() == keyLength;
        c.keys[s].material = c.keys[s].set ? bytes : std::vector<std::uint8_t>{};
      }
      if (profile->defaultKeyIndex >= 0 && profile->defaultKeyIndex < kWepKeyCount) c.txKey = profile->defaultKeyIndex;
      c.powerMode = profile->powerSaveMode;
      c.fragThreshold = profile->fragThreshold;
      c.rtsThreshold = profile->rtsThreshold;
      c.preambleType = profile->preambleType;
      c.gMode = profile->GMode;
      result = 0;
    }
  }
  return result;
}

}  // namespace vcard

// The Configuration tab's loading of a stored profile from a raw 1760-byte record (any bytes:
// unterminated texts, numbers out of range) with any channel masks of the settings file and
// the card, and its store of any page values into such a record. What the controls show must
// be a defined state; storing the loaded states unchanged must load again to the same states;
// a store writes only the fields the page owns, and only values the page can show.
#include <fuzzer/FuzzedDataProvider.h>

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "pages/config_page_rules.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Shows(const ProfileControls& a, const ProfileControls& b) {
  return a.modeIndex == b.modeIndex && a.channel == b.channel && a.channelIndex == b.channelIndex &&
         a.ssid == b.ssid && a.powerSaveIndex == b.powerSaveIndex;
}

bool IsPrefixOf(const std::string& text, std::string_view field) {
  return text.find('\0') == std::string::npos && field.substr(0, text.size()) == text;
}

// Whether byte `offset` of the record lies in a field the page writes.
bool PageField(std::size_t offset) {
  auto in = [offset](std::size_t start, std::size_t size) { return offset >= start && offset < start + size; };
  return in(offsetof(ProfileWireless, channel), 4) || in(offsetof(ProfileWireless, rateCode), 4) ||
         in(offsetof(ProfileWireless, operatingMode), 4) || in(offsetof(ProfileWireless, profileName), kProfileNameSize) ||
         in(offsetof(ProfileWireless, ssid), kProfileSsidSize) || in(offsetof(ProfileWireless, powerSaveMode), 4);
}

// A store keeps every byte outside the page's fields and leaves the page's fields in range.
void CheckStored(const ProfileWireless& before, const ProfileWireless& after, const ChannelList& channels) {
  const auto* a = reinterpret_cast<const std::uint8_t*>(&before);
  const auto* b = reinterpret_cast<const std::uint8_t*>(&after);
  for (std::size_t i = 0; i < sizeof(ProfileWireless); ++i)
    if (!PageField(i)) Check(a[i] == b[i]);
  Check(after.operatingMode == kModeAdHoc || after.operatingMode == kModeInfrastructure);
  Check(after.powerSaveMode == kPowerSaveDisabled || after.powerSaveMode == kPowerSaveEnabled);
  Check(after.rateCode == kAutomaticRateCode);
  Check(after.profileName[kProfileNameSize - 1] == '\0' && after.ssid[kProfileSsidSize - 1] == '\0');
  Check(FieldText(after.ssid).size() <= kMaxSsidLength && !CheckSsid(FieldText(after.ssid)).refused);
  if (channels.size() != 0) Check(ChannelAllowed(after.channel, channels.mask));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto settingsMask = input.ConsumeIntegral<std::uint16_t>();
  const auto cardMask = input.ConsumeIntegral<std::uint16_t>();
  ProfileWireless profile;
  std::memset(&profile, 0, sizeof profile);
  const std::vector<std::uint8_t> record = input.ConsumeBytes<std::uint8_t>(sizeof profile);
  if (!record.empty()) std::memcpy(&profile, record.data(), record.size());

  const std::uint16_t mask = ChannelMaskAtCreation(settingsMask, cardMask);
  Check(mask == (settingsMask != 0 ? settingsMask : cardMask));
  const ChannelList channels = BuildChannelList(mask);
  Check(static_cast<std::size_t>(channels.size()) == std::bitset<16>(mask & 0x3FFF).count());
  for (int i = 0; i < channels.size(); ++i) {
    const int channel = channels.ChannelAt(i);
    Check(channels.texts[i] == std::to_string(channel) && channels.IndexOf(channel) == i);
    if (i > 0) Check(channels.ChannelAt(i - 1) < channel);
  }

  // What the page shows of the record.
  const ProfileControls shown = ControlsFromProfile(profile, channels);
  Check(shown.modeIndex == (profile.operatingMode == 0 ? kModeAdHoc : kModeInfrastructure));
  Check(shown.powerSaveIndex == (profile.powerSaveMode == 1 ? kPowerSaveEnabled : kPowerSaveDisabled));
  if (channels.size() == 0) {
    Check(shown.channel == profile.channel && shown.channelIndex == -1);
  } else {
    Check(ChannelAllowed(shown.channel, mask) && channels.ChannelAt(shown.channelIndex) == shown.channel);
    if (ChannelAllowed(profile.channel, mask)) Check(shown.channel == profile.channel);
  }
  Check(shown.ssid.size() <= kMaxSsidLength && !CheckSsid(shown.ssid).refused);
  Check(IsPrefixOf(shown.ssid, FieldText(profile.ssid)));
  const std::string name = ProfileNameOf(profile);
  Check(name.size() <= kMaxProfileNameLength && IsPrefixOf(name, FieldText(profile.profileName)));

  // The page loads (putting the validated channel into the record) and stores unchanged.
  ProfileWireless loaded = profile;
  loaded.channel = shown.channel;
  ProfileWireless stored = loaded;
  StorePageValues(stored, {name, shown.modeIndex, shown.channelIndex, shown.ssid, shown.powerSaveIndex}, channels);
  CheckStored(loaded, stored, channels);
  Check(Shows(ControlsFromProfile(stored, channels), shown));
  Check(ProfileNameOf(stored) == name);

  // Any page values, any selections (none, out of range) into the raw record.
  PageValues values;
  values.modeIndex = input.ConsumeIntegralInRange<int>(-2, 3);
  values.channelIndex = input.ConsumeIntegralInRange<int>(-2, 16);
  values.powerSaveIndex = input.ConsumeIntegralInRange<int>(-2, 3);
  values.profileName = input.ConsumeRandomLengthString(100);
  values.ssid = input.ConsumeRemainingBytesAsString();
  ProfileWireless edited = profile;
  StorePageValues(edited, values, channels);
  CheckStored(profile, edited, channels);
  if (channels.size() == 0) Check(edited.channel == profile.channel);
  if (values.modeIndex == 0 || values.modeIndex == 1) Check(edited.operatingMode == values.modeIndex);
  Check(ProfileNameOf(edited) == CutProfileName(values.profileName.substr(0, values.profileName.find('\0'))));
  const ProfileControls after = ControlsFromProfile(edited, channels);
  Check(IsPrefixOf(after.ssid, CheckSsid(values.ssid).kept));
  return 0;
}

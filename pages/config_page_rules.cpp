#include "pages/config_page_rules.h"

#include <cstdio>

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool InRange(std::int32_t value, int low, int high) { return value >= low && value <= high; }

// A list selection as a stored value: the selection when it names an entry, else the
// profile's value when it is one the list can show, else the list's default.
std::int32_t SelectionOrKept(int selection, std::int32_t current, int count, int fallback) {
  if (InRange(selection, 0, count - 1)) return selection;
  if (InRange(current, 0, count - 1)) return current;
  return fallback;
}

}  // namespace

// ---------------------------------------------------------------- channels

std::uint16_t ChannelMaskAtCreation(std::uint16_t settingsFileMask, std::uint16_t cardMask) {
  return settingsFileMask != 0 ? settingsFileMask : cardMask;
}

bool ChannelAllowed(int channel, std::uint16_t mask) {
  return channel >= 1 && channel <= kChannelCount && (mask & (1u << (channel - 1))) != 0;
}

int ValidateChannel(int channel, std::uint16_t mask) {
  if (ChannelAllowed(channel, mask)) return channel;
  for (int n = 1; n <= kChannelCount; ++n)
    if (ChannelAllowed(n, mask)) return n;
  return channel;
}

int ChannelList::IndexOf(int channel) const {
  if (channel < 1 || channel > kChannelCount) return -1;
  return channelToIndex[channel - 1];
}

int ChannelList::ChannelAt(int index) const {
  if (index < 0 || index >= size()) return 0;
  return indexToChannel[index];
}

ChannelList BuildChannelList(std::uint16_t mask) {
  ChannelList list;
  list.mask = mask;
  list.channelToIndex.fill(-1);
  list.indexToChannel.fill(0);
  for (int n = 1; n <= kChannelCount; ++n) {
    if (!ChannelAllowed(n, mask)) continue;
    const int i = list.size();
    char text[8];
    std::snprintf(text, sizeof(text), "%d", n);
    list.texts.emplace_back(text);
    list.channelToIndex[n - 1] = i;
    list.indexToChannel[i] = n;
  }
  return list;
}

// ---------------------------------------------------------------- texts

SsidCheck CheckSsid(std::string_view text) {
  SsidCheck check;
  const std::string_view counted = text.substr(0, kMaxSsidLength);
  for (std::size_t i = 0; i < counted.size(); ++i) {
    if (static_cast<unsigned char>(counted[i]) >= 128) {
      check.refused = true;
      check.kept.assign(counted.substr(0, i));
      return check;
    }
  }
  check.kept.assign(counted);
  return check;
}

bool SsidWarningThrottle::Due(std::uint32_t now) {
  if (warned_ && now - last_ <= kQuietMs) return false;
  warned_ = true;
  last_ = now;
  return true;
}

std::string CutProfileName(std::string_view text) {
  return std::string(text.substr(0, kMaxProfileNameLength));
}

int FindProfileName(const std::vector<std::string>& names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameIgnoringCase(names[i], name)) return static_cast<int>(i);
  return -1;
}

int FindProfileNamePrefix(const std::vector<std::string>& names, std::string_view prefix) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i].size() >= prefix.size() &&
        SameIgnoringCase(std::string_view(names[i]).substr(0, prefix.size()), prefix))
      return static_cast<int>(i);
  return -1;
}

bool IsProtectedProfileName(std::string_view name, std::string_view defaultName) {
  return name == defaultName;
}

// ---------------------------------------------------------------- profile <-> controls

ProfileControls ControlsFromProfile(const ProfileWireless& profile, const ChannelList& channels) {
  ProfileControls controls;
  controls.modeIndex = profile.operatingMode == kModeAdHoc ? kModeAdHoc : kModeInfrastructure;
  controls.channel = ValidateChannel(profile.channel, channels.mask);
  controls.channelIndex = channels.IndexOf(controls.channel);
  controls.ssid = CheckSsid(FieldText(profile.ssid)).kept;
  controls.powerSaveIndex =
      profile.powerSaveMode == kPowerSaveEnabled ? kPowerSaveEnabled : kPowerSaveDisabled;
  return controls;
}

std::string ProfileNameOf(const ProfileWireless& profile) {
  return CutProfileName(FieldText(profile.profileName));
}

std::string NameToStoreUnder(std::string_view boxText, std::string_view shownName, std::string_view defaultName) {
  if (!boxText.empty()) return std::string(boxText);
  return std::string(shownName.empty() ? defaultName : shownName);
}

void StorePageValues(ProfileWireless& profile, const PageValues& values, const ChannelList& channels) {
  SetFieldText(profile.profileName, CutProfileName(values.profileName));
  profile.operatingMode =
      SelectionOrKept(values.modeIndex, profile.operatingMode, 2, kModeInfrastructure);
  if (const int channel = channels.ChannelAt(values.channelIndex); channel != 0)
    profile.channel = channel;
  else if (channels.size() != 0 && !ChannelAllowed(profile.channel, channels.mask))
    profile.channel = ValidateChannel(profile.channel, channels.mask);
  SetFieldText(profile.ssid, CheckSsid(values.ssid).kept);
  profile.rateCode = kAutomaticRateCode;
  profile.powerSaveMode =
      SelectionOrKept(values.powerSaveIndex, profile.powerSaveMode, 2, kPowerSaveDisabled);
}

// ---------------------------------------------------------------- buttons

namespace {

// One cell of the button table.
enum class Cell : std::uint8_t {
  Keep,                 // unchanged
  On,
  Off,
  OnUnlessProtected,    // on unless the name is the "default" profile
  OnIfCreating,         // on after a creating store, else unchanged
  OffThenOnIfCreating,  // on after a creating store, else off
  ByMode,               // channel list on in Ad-Hoc, power-saving list on in Infrastructure
};

struct Row {
  ConfigEvent event;
  Cell create, activate, remove, undo, apply, channelList, powerList;
};

using enum Cell;
constexpr Row kButtonTable[] = {
    //                                create  activate             remove             undo  apply channel power
    {ConfigEvent::Load,                 Keep, Keep,                Keep,              Off,  Off,  ByMode, ByMode},
    {ConfigEvent::EndOfActivation,      Keep, Keep,                OnUnlessProtected, Keep, Keep, Keep,   Keep},
    {ConfigEvent::ModeEdited,           Keep, Keep,                Keep,              On,   On,   ByMode, ByMode},
    {ConfigEvent::ValueEdited,          Keep, Keep,                Keep,              On,   On,   Keep,   Keep},
    {ConfigEvent::ProfilePicked,        Off,  On,                  OnUnlessProtected, Off,  Off,  ByMode, ByMode},
    {ConfigEvent::TypedNameMatches,     Off,  On,                  OnUnlessProtected, Keep, Keep, Keep,   Keep},
    {ConfigEvent::TypedNameMatchesNone, On,   Off,                 Off,               Keep, Keep, Keep,   Keep},
    {ConfigEvent::Store,                Off,  OffThenOnIfCreating, OnIfCreating,      Off,  Off,  Keep,   Keep},
    {ConfigEvent::CreatePressed,        Off,  Keep,                On,                Keep, Keep, Keep,   Keep},
    {ConfigEvent::ActivatePressed,      Keep, Off,                 Keep,              Keep, Keep, Keep,   Keep},
    {ConfigEvent::RestoreDefaults,      Off,  Off,                 Keep,              On,   On,   Off,    On},
    {ConfigEvent::UndoChanges,          Off,  Off,                 Keep,              Off,  Off,  ByMode, ByMode},
};

bool Apply(Cell cell, bool before, const ButtonContext& context, bool onByMode) {
  switch (cell) {
    case Keep: return before;
    case On: return true;
    case Off: return false;
    case OnUnlessProtected: return !context.nameProtected;
    case OnIfCreating: return context.creating ? true : before;
    case OffThenOnIfCreating: return context.creating;
    case ByMode: return onByMode;
  }
  return before;
}

}  // namespace

ConfigButtons ButtonsAfter(ConfigEvent event, const ConfigButtons& before, const ButtonContext& context) {
  // Each column of the table with the state it sets; a list "by mode" is on in the mode it
  // belongs to (the channel list in Ad-Hoc, the power-saving list in Infrastructure).
  struct Column {
    Cell Row::*cell;
    bool ConfigButtons::*state;
    bool onInAdHoc;
  };
  static constexpr Column kColumns[] = {
      {&Row::create, &ConfigButtons::create, false},
      {&Row::activate, &ConfigButtons::activate, false},
      {&Row::remove, &ConfigButtons::remove, false},
      {&Row::undo, &ConfigButtons::undo, false},
      {&Row::apply, &ConfigButtons::apply, false},
      {&Row::channelList, &ConfigButtons::channelList, true},
      {&Row::powerList, &ConfigButtons::powerList, false},
  };
  const bool adHoc = context.mode == kModeAdHoc;
  for (const Row& row : kButtonTable) {
    if (row.event != event) continue;
    ConfigButtons after = before;
    for (const Column& column : kColumns)
      after.*column.state = Apply(row.*column.cell, before.*column.state, context, adHoc == column.onInAdHoc);
    return after;
  }
  return before;
}

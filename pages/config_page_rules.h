// The arithmetic behind the Configuration tab, with no controls in it: which channels the
// page offers and how its channel list maps to channel numbers, the SSID and profile-name
// rules, how a stored profile becomes the states of the page's controls and how those
// states are written back into a profile, and which buttons each event enables.
//
// A stored profile may be damaged or come from another program: its texts may lack a
// terminator, its numbers may be out of range. Everything here reads a profile's text fields
// only within their arrays and turns out-of-range numbers into defined control states; a
// store writes only values the page can show.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/nivo_records.h"

constexpr int kChannelCount = 14;  // channels 1..14; bit n-1 of a mask allows channel n
constexpr std::size_t kMaxProfileNameLength = kProfileNameSize - 1;  // 64

// Operating-mode list: index = `operatingMode`.
constexpr int kModeAdHoc = 0;
constexpr int kModeInfrastructure = 1;
// Power-saving list: index = `powerSaveMode`.
constexpr int kPowerSaveDisabled = 0;
constexpr int kPowerSaveEnabled = 1;
// The page offers no rate choice: every store asks for the automatic rate.
constexpr std::int32_t kAutomaticRateCode = 15;
// What "Restore Defaults" puts in the controls.
constexpr int kRestoreDefaultsChannel = 6;
inline constexpr char kRestoreDefaultsSsid[] = "any";

// ---------------------------------------------------------------- channels

// The allowed channels when the page's dialog is created: the settings file's mask when it is
// not 0, else the mask the card reports.
std::uint16_t ChannelMaskAtCreation(std::uint16_t settingsFileMask, std::uint16_t cardMask);

// Whether `mask` allows channel `channel`. Only channels 1..14 can be allowed (bits 0..13);
// 0, negative numbers and numbers above 14 never are.
bool ChannelAllowed(int channel, std::uint16_t mask);

// A channel checked against the mask: an allowed channel stays; any other becomes the lowest
// allowed channel; when the mask allows none, the channel stays as it is.
int ValidateChannel(int channel, std::uint16_t mask);

// The channel list of the page: one entry per allowed channel, ascending, each shown as its
// number in decimal, with the two index tables between list positions and channel numbers.
struct ChannelList {
  std::uint16_t mask = 0;
  std::vector<std::string> texts;  // the entries, in list order
  // List index of channel n at position n-1; -1 for a channel that is not listed.
  std::array<int, kChannelCount> channelToIndex{};
  // Channel number at list index i; 0 past the last entry.
  std::array<int, kChannelCount> indexToChannel{};

  int size() const { return static_cast<int>(texts.size()); }
  // The list index of a channel; -1 when it is not listed (also for numbers outside 1..14).
  int IndexOf(int channel) const;
  // The channel at a list index; 0 when the index names no entry (-1 included).
  int ChannelAt(int index) const;
};
ChannelList BuildChannelList(std::uint16_t mask);

// ---------------------------------------------------------------- texts

// The SSID rule: only the first 32 characters count, and a character of code 128 or above
// is refused. `kept` is the text cut just before the first refused character (or the whole
// text, at most 32 characters, when nothing was refused).
struct SsidCheck {
  bool refused = false;
  std::string kept;
};
SsidCheck CheckSsid(std::string_view text);

// The refused-SSID warning shows at most once per 1000 ms of tick count. `Due` answers
// whether a warning may show at `now` and, if so, remembers `now`. The first warning is
// always due (also in the first second after the system started), and the tick count's
// wrap-around after 49.7 days does not silence it.
class SsidWarningThrottle {
 public:
  static constexpr std::uint32_t kQuietMs = 1000;
  bool Due(std::uint32_t now);

 private:
  bool warned_ = false;
  std::uint32_t last_ = 0;
};

// A profile name holds at most 64 characters: the first 64 of a longer text.
std::string CutProfileName(std::string_view text);

// Profile names are looked up ignoring the case of the letters A-Z (the whole text must
// match). Characters of code 128 and above are compared as they are, the same on every
// system. Returns the index of the first match in `names`, or -1.
int FindProfileName(const std::vector<std::string>& names, std::string_view name);
// The first entry that begins with `prefix`, ignoring case as above; -1 when none does.
int FindProfileNamePrefix(const std::vector<std::string>& names, std::string_view prefix);

// The profile that cannot be removed is the one named exactly `defaultName` (case-sensitive:
// a profile called "Default" is an ordinary one).
bool IsProtectedProfileName(std::string_view name, std::string_view defaultName);

// ---------------------------------------------------------------- profile <-> controls

// What the page's value controls show for a profile. Out-of-range values of a damaged
// profile become defined states: an operating mode other than 0 or 1 shows "Infrastructure",
// a power-saving mode other than 0 or 1 shows "Disabled", a channel that is not allowed
// shows the lowest allowed one, an SSID stops at its field's end, at 32 characters and before
// any character of code 128 or above.
struct ProfileControls {
  int modeIndex = kModeInfrastructure;
  int channel = 0;        // the validated channel (unchanged when no channel is allowed)
  int channelIndex = -1;  // -1 when the channel list has no entry for it
  std::string ssid;
  int powerSaveIndex = kPowerSaveDisabled;
};
ProfileControls ControlsFromProfile(const ProfileWireless& profile, const ChannelList& channels);

// The profile's name as the page shows it: within its field, at most 64 characters.
std::string ProfileNameOf(const ProfileWireless& profile);

// The name a store ("Apply Changes", "Activate", the window's OK) acts on: the profile box's
// text, or, with the box emptied, the name of the profile the page shows, else `defaultName`.
// Nothing is ever stored or made active under an empty name.
std::string NameToStoreUnder(std::string_view boxText, std::string_view shownName, std::string_view defaultName);

// The page's values as a store writes them into the profile.
struct PageValues {
  std::string profileName;
  int modeIndex = -1;  // -1: nothing selected
  int channelIndex = -1;
  std::string ssid;
  int powerSaveIndex = -1;
};
// Writes the page's values into `profile`: `profileName`, `operatingMode`, `channel`, `ssid`,
// `rateCode` 15 and `powerSaveMode`; every other field stays. A list with nothing selected
// (or a selection out of range) never writes -1: the profile keeps its value when that value
// is in range, else it gets the default ("Infrastructure", "Disabled"); an unselected channel
// stays when it is allowed and is validated otherwise, and with no channel allowed at all it
// stays as it is. Texts are cut to their limits (64 and 32 characters, the SSID also before a
// character of code 128 or above) and their fields cleared behind them.
void StorePageValues(ProfileWireless& profile, const PageValues& values, const ChannelList& channels);

// ---------------------------------------------------------------- buttons

// The enabled states of the page's buttons and of the two lists that depend on the mode.
struct ConfigButtons {
  bool create = false;
  bool activate = false;
  bool remove = true;
  bool undo = false;
  bool apply = false;
  bool channelList = true;
  bool powerList = true;
  friend bool operator==(const ConfigButtons&, const ConfigButtons&) = default;
};

// The events that change the buttons.
enum class ConfigEvent {
  Load,                  // the controls were loaded from the sheet's profile
  EndOfActivation,       // the page became active
  ModeEdited,            // the operating mode was changed
  ValueEdited,           // the channel, power saving or SSID was changed
  ProfilePicked,         // a profile was chosen from the list
  TypedNameMatches,      // the typed name is a listed profile
  TypedNameMatchesNone,  // the typed name is not listed
  Store,                 // the profile was stored
  CreatePressed,         // "Create", after its store or its message
  ActivatePressed,       // "Activate", after its store
  RestoreDefaults,
  UndoChanges,
};

// What the event's row depends on.
struct ButtonContext {
  bool nameProtected = false;  // the name the row acts on is the "default" profile
  bool creating = false;       // the store made a new profile
  int mode = kModeInfrastructure;  // the mode the lists follow
};

// The states after `event`, from the states before it: buttons the event does not name keep
// their state.
ConfigButtons ButtonsAfter(ConfigEvent event, const ConfigButtons& before, const ButtonContext& context);

// The faults the virtual card can be given, one row each, and what the utility may show to
// the user while it lives with each of them. The fault sweep (fault_sweep_main.cpp) starts
// the utility once per row and drives every page.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sweep {

// The texts of the message boxes a fault can bring up.
inline constexpr char kCardNotPresent[] = "The card is NOT present!";
inline constexpr char kDeviceChangeFailed[] = "Failed to change device configuration.";
inline constexpr char kWepChangeFailed[] = "Failed to change WEP configuration.";

// How a run goes besides driving the pages.
enum class Course {
  kPlain,             // started with the fault; pages driven once the card is found
  kNeverFound,        // the card is never found: "Show Config Utility" is refused, no page
                      // can be opened, and the utility is ended while it waits for the card
  kCardFoundLate,     // as kNeverFound at first; then the fault is lifted and a device event
                      // finds the card
  kClosedWithMessagesUp,  // as kPlain, but no message box is answered: "ELEGANT_CLOSE" comes
                          // while the fault's messages and the About page's box are up
  kZeroConfigOn,      // Windows XP: the system's zero configuration takes the card over with
                      // the window open; the window closes and reopens with three pages
  kZeroConfigOff,     // Windows XP, zero configuration active at the start (three pages); the
                      // system lets go with the window open; it reopens with five pages
  kRemovedMidSearch,  // the card is removed while Site Survey's search is under way, then
                      // inserted again; the pages are driven after the insertion
};

// The tabs of the configuration window, as they are titled.
inline constexpr char kLinkInfo[] = "Link Info";
inline constexpr char kConfiguration[] = "Configuration";
inline constexpr char kSiteSurvey[] = "Site Survey";
inline constexpr char kEncryption[] = "Encryption";
inline constexpr char kAbout[] = "About";

// A text a page must show once it has been used under the fault.
struct PageText {
  const char* page;
  int control;
  std::string text;
};

struct SweepFault {
  std::string name;       // as the sweep prints it, after "fault ": the words of the card's
                          // control command that orders it, or what is done
  std::string scenario;   // lines added to the card's world, read when the utility starts
  Course course = Course::kPlain;
  const char* windows = nullptr;  // Windows version Wine reports to the utility; null: its own
  // Message texts that must be shown, each at least once; any other text is a failure. The
  // About page's version box, which the sweep asks for on purpose, is always allowed.
  std::vector<std::string> messages;
  bool canJoin = true;    // Site Survey lists a network and "Connect" joins it
  std::vector<PageText> shows = {};
};

// Every selector bit a WlanConfig exchange can carry.
inline constexpr std::uint32_t kSelectorBits[] = {
    0x1,     0x2,     0x4,     0x8,     0x10,    0x20,    0x40,      0x80,      0x200,     0x400,     0x800,
    0x1000,  0x2000,  0x4000,  0x8000,  0x10000, 0x20000, 0x40000,   0x1000000, 0x2000000, 0x4000000, 0x8000000};

// The sets a user's action makes and whose failure the user is told about: the polling
// thread's settings push after Configuration's "Apply Changes" (mode, SSID, rates, power
// mode, radio configuration; WEP off: status and authentication), and the Encryption page's
// apply at 64 bits (the four keys, status and authentication). The full pushes ignore what
// is left, and every get is silent.
inline constexpr std::uint32_t kSettingsPushBits = 0x2 | 0x4 | 0x20 | 0x200 | 0x400 | 0x10000 | 0x20000;
inline constexpr std::uint32_t kWepApplyBits = 0x1000 | 0x2000 | 0x4000 | 0x8000 | 0x10000 | 0x20000;

std::vector<SweepFault> FaultTable();

}  // namespace sweep

// The regulatory domain and channel settings file beside the program ("DomainFile"): same
// path as the program with the extension ".bin", INI format, section "INI", keys "D" and
// "Ch". Read once when the main frame is constructed; never written.
#pragma once
#include <cstdint>
#include <string>

extern std::string gSettingsFilePath;  // set by ReadDomainFile's caller, at most 260 characters
extern int gIniDomain;                 // regulatory domain 0..4 for NIVO_SetWLDomain
extern std::uint16_t gIniChannels;     // bit i-1 = channel i allowed; 0 = no restriction

// Buffer of each value read from the file, zero included.
constexpr std::size_t kSettingsValueBufferSize = 260;

// The settings file's path for a program path: everything from the file name's last dot
// replaced by ".bin"; a file name without a dot gets ".bin" appended.
std::string SettingsFilePathFor(const std::string& programPath);

// The domain a "D" code names, or `previous` when the code is refused. A code is accepted
// when it has at least five characters whose codes (signed 8-bit) add up to 265; its third
// character is then the domain digit. A domain outside 0..4 becomes 0.
int DomainFromCode(const std::string& code, int previous);

// The channel mask of a "Ch" text: a "1" at position i (0..15) allows channel i+1.
std::uint16_t ChannelMaskFromFlags(const std::string& flags);

// Computes gSettingsFilePath from the program's path.
void ComputeSettingsFilePath();
// Reads gSettingsFilePath into gIniDomain and gIniChannels and traces both values.
void ReadDomainFile();

#include "core/settings_file.h"

#include "diag/trace.h"
#include "framework/platform.h"

std::string gSettingsFilePath;
int gIniDomain = 0;
std::uint16_t gIniChannels = 0;

namespace {
constexpr int kDomainCodeSum = 265;
constexpr std::size_t kDomainCodeLength = 5;
constexpr int kHighestDomain = 4;
constexpr std::size_t kChannelFlagCount = 16;
constexpr std::size_t kMaxPathLength = 259;
}  // namespace

std::string SettingsFilePathFor(const std::string& programPath) {
  const std::size_t nameStart = programPath.find_last_of("\\/");
  const std::size_t dot = programPath.find_last_of('.');
  const bool dotInName = dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
  std::string path = dotInName ? programPath.substr(0, dot) : programPath;
  return path + ".bin";
}

int DomainFromCode(const std::string& code, int previous) {
  int domain = previous;
  if (code.size() >= kDomainCodeLength) {
    int sum = 0;
    for (std::size_t i = 0; i < kDomainCodeLength; ++i) sum += static_cast<signed char>(code[i]);
    if (sum == kDomainCodeSum) domain = static_cast<signed char>(code[2]) - '0';
  }
  if (domain < 0 || domain > kHighestDomain) domain = 0;
  return domain;
}

std::uint16_t ChannelMaskFromFlags(const std::string& flags) {
  std::uint16_t mask = 0;
  for (std::size_t i = 0; i < kChannelFlagCount && i < flags.size(); ++i) {
    if (flags[i] == '1') mask = static_cast<std::uint16_t>(mask | (1u << i));
  }
  return mask;
}

void ComputeSettingsFilePath() {
  gSettingsFilePath = SettingsFilePathFor(fw::Sys().ModuleFileName());
  if (gSettingsFilePath.size() > kMaxPathLength) gSettingsFilePath.resize(kMaxPathLength);
}

void ReadDomainFile() {
  fw::Platform& sys = fw::Sys();
  const std::string domainCode = sys.ReadIniString(gSettingsFilePath, "INI", "D", kSettingsValueBufferSize);
  gIniDomain = DomainFromCode(domainCode, gIniDomain);
  TraceMessage("\n##### INI domain= %i\n", gIniDomain);

  gIniChannels = 0;
  const std::string channelFlags = sys.ReadIniString(gSettingsFilePath, "INI", "Ch", kSettingsValueBufferSize);
  gIniChannels = ChannelMaskFromFlags(channelFlags);
  TraceMessage("\n##### INI channels= 0x%X\n", static_cast<unsigned>(gIniChannels));
}

// The regulatory domain and channel settings file, read the way the main frame reads it: any
// program path, any "D" and "Ch" values (or none), through ReadDomainFile and the platform's
// file reader. The results are checked against the rules written out again here, and the two
// trace lines must name exactly the values that were set.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/settings_file.h"
#include "framework/memory/memory_platform.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// What the file reader hands over of a stored value: at most the buffer less its zero.
std::string AsRead(const std::string& value) { return value.substr(0, kSettingsValueBufferSize - 1); }

int ExpectedDomain(const std::string& code, int previous) {
  int domain = previous;
  if (code.size() >= 5) {
    int sum = 0;
    for (int i = 0; i < 5; ++i) sum += static_cast<signed char>(code[i]);
    if (sum == 265) domain = code[2] - '0';
  }
  return domain >= 0 && domain <= 4 ? domain : 0;
}

unsigned ExpectedMask(const std::string& flags) {
  unsigned mask = 0;
  for (std::size_t i = 0; i < flags.size() && i < 16; ++i)
    if (flags[i] == '1') mask |= 1u << i;
  return mask;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  fw::MemoryPlatform sys;
  fw::UsePlatform(&sys);

  const bool domainGiven = input.ConsumeBool();
  const bool channelsGiven = input.ConsumeBool();
  const int previous = input.ConsumeIntegralInRange<int>(-3, 8);
  // Program paths come from the system and hold no zero character.
  std::string program = input.ConsumeRandomLengthString(400);
  program = program.substr(0, program.find('\0'));
  if (input.ConsumeBool()) program = "C:\\Tools\\" + program + ".exe";
  const std::string domainCode = input.ConsumeRandomLengthString(600);
  const std::string channelFlags = input.ConsumeRemainingBytesAsString();

  sys.moduleFileName = program;
  ComputeSettingsFilePath();
  Check(gSettingsFilePath.size() <= kSettingsValueBufferSize - 1);
  if (program.size() <= 250) {
    // A path that fits keeps everything before the extension and ends in ".bin".
    Check(gSettingsFilePath.size() >= 4 && gSettingsFilePath.compare(gSettingsFilePath.size() - 4, 4, ".bin") == 0);
    Check(program.compare(0, gSettingsFilePath.size() - 4, gSettingsFilePath, 0, gSettingsFilePath.size() - 4) == 0);
  }

  auto& section = sys.iniFiles[gSettingsFilePath]["INI"];
  if (domainGiven) section["D"] = domainCode;
  if (channelsGiven) section["Ch"] = channelFlags;
  gIniDomain = previous;
  gIniChannels = 0xBEEF;
  ReadDomainFile();

  const int domain = ExpectedDomain(domainGiven ? AsRead(domainCode) : std::string(), previous);
  const unsigned mask = ExpectedMask(channelsGiven ? AsRead(channelFlags) : std::string());
  Check(gIniDomain >= 0 && gIniDomain <= 4);
  Check(gIniDomain == domain);
  Check(gIniChannels == mask);
  char domainLine[64], channelLine[64];
  std::snprintf(domainLine, sizeof domainLine, "\n##### INI domain= %i\n", domain);
  std::snprintf(channelLine, sizeof channelLine, "\n##### INI channels= 0x%X\n", mask);
  Check(sys.debugLines() == std::vector<std::string>{domainLine, channelLine});

  fw::UsePlatform(nullptr);
  return 0;
}

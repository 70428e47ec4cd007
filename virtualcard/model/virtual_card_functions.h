// The virtual card's operations as the library's C entry points, bound to one process-wide
// card. The DLL exports thin wrappers over these; native tests bind the program's driver
// object to the table and steer the card through the functions below.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/nivo_api.h"
#include "virtualcard/model/virtual_card.h"

// The entry points, each calling the process-wide card.
NivoFunctions VirtualCardFunctions();

// The process-wide card.
vcard::VirtualCard& VirtualCardInstance();

// Puts the process-wide card back to its start: the built-in world, profiles in memory
// (none), no call log, the system's clock and thread ids.
void ResetVirtualCard();

// Starts the process-wide card over with the world of a scenario text. Lines that cannot be
// used are skipped; their descriptions go to `errors` (when given). True when there were none.
bool LoadVirtualCardScenario(std::string_view text, std::vector<std::string>* errors = nullptr);

// Replaces the card's clock (milliseconds); the association wait starts again from its time.
void SetVirtualCardClock(std::function<std::uint64_t()> clock);

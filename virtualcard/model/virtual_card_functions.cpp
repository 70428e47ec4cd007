#include "virtualcard/model/virtual_card_functions.h"

namespace {

vcard::VirtualCard& Card() { return VirtualCardInstance(); }

// One C entry point per operation (NIVO_InitEntry and so on), each calling the card.
#define VCARD_ENTRY_POINT(name, refused, params, args) \
  std::int32_t NIVO_CALL name##Entry params { return Card().name args; }
NIVO_OPERATIONS(VCARD_ENTRY_POINT)
#undef VCARD_ENTRY_POINT

}  // namespace

vcard::VirtualCard& VirtualCardInstance() {
  // Created on first use and never destroyed: the card outlives every thread that may call it
  // while the process ends.
  static vcard::VirtualCard* card = new vcard::VirtualCard();
  return *card;
}

NivoFunctions VirtualCardFunctions() {
  NivoFunctions f;
#define VCARD_TABLE_ENTRY(name, ...) f.name = name##Entry;
  NIVO_OPERATIONS(VCARD_TABLE_ENTRY)
#undef VCARD_TABLE_ENTRY
  return f;
}

void ResetVirtualCard() {
  vcard::VirtualCard& card = Card();
  card.SetCallLog(nullptr);
  card.SetProfileStore(nullptr);
  card.SetThreadId(nullptr);
  card.SetClock(nullptr);
  card.Reset(vcard::BuiltInWorld());
}

bool LoadVirtualCardScenario(std::string_view text, std::vector<std::string>* errors) {
  vcard::ScenarioResult scenario = vcard::ParseScenario(text);
  if (errors) *errors = scenario.errors;
  bool clean = scenario.errors.empty();
  Card().Reset(scenario.world, std::move(scenario.errors));
  return clean;
}

void SetVirtualCardClock(std::function<std::uint64_t()> clock) { Card().SetClock(std::move(clock)); }

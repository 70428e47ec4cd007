// The virtual card's call log as the end-to-end tests read it: one record per line, each
// with its operation and its fields. ReadCallLog is the one place that knows the log's JSON
// form.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/call_log_json.h"

namespace winetest {

// One line of the call log.
struct Call {
  std::string op;
  calllog::Json fields;
  // A text field's bytes, a number's digits, or "<missing>".
  std::string Text(const std::string& key) const;
  // A number field, or `otherwise` when it is missing or not a number.
  long long Number(const std::string& key, long long otherwise = -1) const;
  // Milliseconds since the card's NIVO_Init ("t").
  long long Ms() const { return Number("t"); }
};

// The complete lines of the log file (a line being written is left for later); a line that
// is not a JSON object is reported as a test failure and left out.
std::vector<Call> ReadCallLog(const std::string& path);

// One expected call: its operation and the fields it must carry (decoded texts or numbers).
struct ExpectedCall {
  const char* op;
  std::vector<std::pair<const char*, const char*>> fields;
};

// Finds the expected calls in the log in this order (other calls may come between); the
// index of each match, or an explanation of the first that is missing.
testing::AssertionResult InOrder(const std::vector<Call>& calls, const std::vector<ExpectedCall>& expected,
                                 std::vector<size_t>* positions = nullptr);

}  // namespace winetest

// The virtual card's call log as the end-to-end tests read it: one JSON object per line,
// and a wait for a condition on it (or on anything else the test watches).
#pragma once
#include <windows.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/json_reader.h"
#include "support/wine_process.h"

namespace winetest {

// One line of the call log.
struct Call {
  std::string op;
  std::map<std::string, std::string> fields;  // raw JSON values
  // A member's text: a string's characters, anything else as written; "<missing>".
  std::string Text(const std::string& key) const {
    auto found = fields.find(key);
    if (found == fields.end()) return "<missing>";
    return jsontest::StringValue(found->second).value_or(found->second);
  }
};

// The complete lines of a call log so far (a line being written is left for later). A line
// that is not one JSON object is reported in `bad` and left out.
inline std::vector<Call> ReadCallLog(const std::string& path, std::vector<std::string>* bad = nullptr) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  std::vector<Call> calls;
  for (size_t begin = 0, end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto members = jsontest::Members(line);
    if (!members) {
      if (bad) bad->push_back(line);
      continue;
    }
    Call call;
    call.fields = *members;
    call.op = call.Text("op");
    calls.push_back(call);
  }
  return calls;
}

// Polls until the condition holds; false on time-out.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD ms = kPatientMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace winetest

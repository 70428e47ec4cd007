#include "support/call_log.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/json_reader.h"

namespace winetest {

std::string Call::Text(const std::string& key) const {
  auto found = fields.find(key);
  if (found == fields.end()) return "<missing>";
  return jsontest::StringValue(found->second).value_or(found->second);
}

long long Call::Number(const std::string& key, long long otherwise) const {
  auto found = fields.find(key);
  if (found == fields.end() || found->second.empty()) return otherwise;
  char* end = nullptr;
  const long long value = std::strtoll(found->second.c_str(), &end, 10);
  return end != nullptr && *end == '\0' ? value : otherwise;
}

std::vector<Call> ReadCallLog(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  std::vector<Call> calls;
  const std::string text = content.str();
  size_t begin = 0;
  for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto members = jsontest::Members(line);
    EXPECT_TRUE(members.has_value()) << "not a JSON object: " << line;
    if (!members) continue;
    Call call;
    call.fields = *members;
    call.op = call.Text("op");
    calls.push_back(call);
  }
  return calls;
}

testing::AssertionResult InOrder(const std::vector<Call>& calls, const std::vector<ExpectedCall>& expected,
                                 std::vector<size_t>* positions) {
  size_t next = 0;
  for (const ExpectedCall& e : expected) {
    bool found = false;
    for (; next < calls.size() && !found; ++next) {
      if (calls[next].op != e.op) continue;
      found = true;
      for (const auto& [key, value] : e.fields) found = found && calls[next].Text(key) == value;
      if (found && positions) positions->push_back(next);
    }
    if (!found) {
      std::string log;
      for (const Call& c : calls) log += "  " + c.op + "\n";
      return testing::AssertionFailure() << "no " << e.op << " with the expected fields in order; calls:\n" << log;
    }
  }
  return testing::AssertionSuccess();
}

}  // namespace winetest

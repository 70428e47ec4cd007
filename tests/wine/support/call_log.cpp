#include "support/call_log.h"

#include <fstream>
#include <sstream>

namespace winetest {

std::string Call::Text(const std::string& key) const {
  auto found = fields.find(key);
  if (found == fields.end()) return "<missing>";
  return calllog::Bytes(*found).value_or(found->dump());
}

long long Call::Number(const std::string& key, long long otherwise) const {
  auto found = fields.find(key);
  if (found == fields.end() || !found->is_number_integer()) return otherwise;
  return found->get<long long>();
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
    auto members = calllog::ParseObject(line);
    EXPECT_TRUE(members.has_value()) << "not a JSON object: " << line;
    if (!members) continue;
    Call call;
    call.fields = std::move(*members);
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

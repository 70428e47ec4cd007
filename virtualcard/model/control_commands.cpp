#include "virtualcard/model/control_commands.h"

namespace vcard {

std::vector<std::string> ControlRequestWords(std::string_view request) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < request.size()) {
    const std::size_t end = request.find('\0', start);
    if (end == std::string_view::npos) {
      words.emplace_back(request.substr(start));
      break;
    }
    words.emplace_back(request.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

}  // namespace vcard

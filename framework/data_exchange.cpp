#include "framework/data_exchange.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace fw {

void DataExchange::Text(int id, std::string& value) {
  Control control(dialog_, id);
  if (saving_) {
    value = control.GetText();
  } else {
    control.ChangeText(value);
  }
}

void DataExchange::Text(int id, int& value) {
  Control control(dialog_, id);
  if (!saving_) {
    control.SetText(std::to_string(value));
    return;
  }
  const std::string text = control.GetText();
  const char* begin = text.c_str();
  while (*begin == ' ') ++begin;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(begin, &end, 10);
  while (end != nullptr && *end == ' ') ++end;
  if (end == begin || end == nullptr || *end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
    ok_ = false;
    return;
  }
  value = static_cast<int>(parsed);
}

void DataExchange::Check(int id, int& value) {
  Button button(dialog_, id);
  if (saving_) {
    value = button.GetCheck() ? 1 : 0;
  } else {
    button.SetCheck(value != 0);
  }
}

void DataExchange::Check(int id, bool& value) {
  int state = value ? 1 : 0;
  Check(id, state);
  value = state != 0;
}

void DataExchange::Radio(std::initializer_list<int> ids, int& value) {
  int index = 0;
  if (saving_) {
    value = -1;
    for (int id : ids) {
      if (Button(dialog_, id).GetCheck()) {
        value = index;
        break;
      }
      ++index;
    }
    return;
  }
  for (int id : ids) Button(dialog_, id).SetCheck(index++ == value);
}

void DataExchange::ComboIndex(int id, int& value) {
  ComboBox combo(dialog_, id);
  if (saving_) {
    value = combo.GetCurSel();
  } else {
    combo.SetCurSel(value);
  }
}

void DataExchange::ComboText(int id, std::string& value) {
  ComboBox combo(dialog_, id);
  constexpr std::uint32_t kStyleMask = 0x3;  // CBS_SIMPLE 1, CBS_DROPDOWN 2, CBS_DROPDOWNLIST 3
  constexpr std::uint32_t kDropDownList = 0x3;
  const bool list = (combo.Style() & kStyleMask) == kDropDownList;
  if (saving_) {
    if (!list) {
      value = combo.GetText();
    } else {
      const int selected = combo.GetCurSel();
      value = selected >= 0 ? combo.GetLBText(selected) : std::string();
    }
    return;
  }
  if (combo.GetText() == value) return;
  const int found = combo.FindStringExact(-1, value);
  if (found >= 0) {
    combo.SetCurSel(found);
  } else if (!list) {
    combo.SetText(value);
  } else {
    combo.SetCurSel(-1);
  }
}

void DataExchange::MaxChars(int id, const std::string& value, std::size_t maxChars) {
  if (saving_ && value.size() > maxChars) ok_ = false;
}

}  // namespace fw

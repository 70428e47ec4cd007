// Data exchange between a page's members and its controls, declared once per page in its
// DoDataExchange and run in both directions: PropertyPage::UpdateData(false) writes the
// members into the controls, UpdateData(true) reads the controls into the members.
//
//   void CAboutPage::DoDataExchange(fw::DataExchange& dx) {
//     dx.Text(IDC_UTILITY_VERSION, m_utilityVersion);
//     dx.Check(IDC_SHOW_KEYS, m_bShowKeys);
//     dx.ComboIndex(IDC_LEVEL, m_nLevel);
//   }
#pragma once
#include <cstddef>
#include <initializer_list>
#include <string>

#include "framework/controls.h"

namespace fw {

class DataExchange {
 public:
  DataExchange(Handle dialog, bool saving) : dialog_(dialog), saving_(saving) {}

  // True when reading the controls into the members.
  bool saving() const { return saving_; }
  // False when a read met a value it could not take (the member then keeps its value).
  bool ok() const { return ok_; }

  // The control's window text. Written only when it differs from what the control shows,
  // so a page may write its members after every edit without moving the caret.
  void Text(int id, std::string& value);
  // A decimal number in the control's text; a text that is not one leaves the member and
  // fails the exchange.
  void Text(int id, int& value);
  // A check box's state: 1 checked, 0 not.
  void Check(int id, int& value);
  void Check(int id, bool& value);
  // A group of radio buttons: the index of the checked one in `ids`, -1 when none is.
  void Radio(std::initializer_list<int> ids, int& value);
  // A combo box's selected index (-1 none).
  void ComboIndex(int id, int& value);
  // A combo box's text: read, its edit text (drop-down) or selected item (drop-down list);
  // written (only when the combo box shows another text), the item equal to it selected, or
  // for a drop-down with no such item, its edit text set.
  void ComboText(int id, std::string& value);
  // Reading only: a text longer than `maxChars` fails the exchange.
  void MaxChars(int id, const std::string& value, std::size_t maxChars);

 private:
  Handle dialog_;
  bool saving_;
  bool ok_ = true;
};

}  // namespace fw

// The Link Info tab: live link state, channel, rate, SSID and BSSID, frames, link quality and signal strength.
// Template IDD_LINK_INFO, help topic IDH_LINK_INFO. The page's controls and behaviour live in this header and
// pages/link_info_page.cpp; its handler table lists its events in the order of its event table.
#pragma once
#include <span>

#include "framework/page.h"
#include "res/resource.h"

class CLinkInfoPage : public fw::Page<CLinkInfoPage> {
 public:
  CLinkInfoPage() : Page(IDD_LINK_INFO, "Link Info") { helpTopic = IDH_LINK_INFO; }
  static std::span<const fw::Handler<CLinkInfoPage>> Handlers() { return {}; }
};

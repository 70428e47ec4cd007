// The Configuration tab: named profiles, operating mode, SSID, channel, power saving.
// Template IDD_CONFIGURATION, help topic IDH_CONFIGURATION. The page's controls and behaviour live in this header and
// pages/config_page.cpp; its handler table lists its events in the order of its event table.
#pragma once
#include <span>

#include "framework/page.h"
#include "res/resource.h"

class CConfigPage : public fw::Page<CConfigPage> {
 public:
  CConfigPage() : Page(IDD_CONFIGURATION, "Configuration") { helpTopic = IDH_CONFIGURATION; }
  static std::span<const fw::Handler<CConfigPage>> Handlers() { return {}; }
  bool m_bListsBuilt = false;  // the page's lists were filled since the window opened
};

// The About tab: driver, utility and firmware versions.
// Template IDD_ABOUT, help topic IDH_ABOUT. The page's controls and behaviour live in this header and
// pages/about_page.cpp; its handler table lists its events in the order of its event table.
#pragma once
#include <span>

#include "framework/page.h"
#include "res/resource.h"

class CAboutPage : public fw::Page<CAboutPage> {
 public:
  CAboutPage() : Page(IDD_ABOUT, "About") { helpTopic = IDH_ABOUT; }
  static std::span<const fw::Handler<CAboutPage>> Handlers() { return {}; }
};

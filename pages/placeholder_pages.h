// The pages of the configuration window. Link Info and Site Survey have their own source
// pairs; the others so far show only their caption and template id. The members the main
// frame resets between openings already exist.
#pragma once
#include "framework/property_sheet.h"
#include "pages/link_info_page.h"
#include "pages/site_survey_page.h"
#include "res/resource.h"

class CConfigPage : public fw::PropertyPage {
 public:
  CConfigPage() : fw::PropertyPage(IDD_CONFIGURATION, "Configuration") {}
  bool m_bListsBuilt = false;  // the page's lists were filled since the window opened
};

class CEncryptionPage : public fw::PropertyPage {
 public:
  CEncryptionPage() : fw::PropertyPage(IDD_ENCRYPTION, "Encryption") {}
};

class CAboutPage : public fw::PropertyPage {
 public:
  CAboutPage() : fw::PropertyPage(IDD_ABOUT, "About") {}
};

// The pages of the configuration window that are not built yet: each shows only its caption
// and its template id. The members the main frame resets between openings already exist.
// The Configuration page is its own class (pages/config_page.h).
#pragma once
#include "framework/property_sheet.h"
#include "pages/config_page.h"
#include "res/resource.h"

class CLinkInfoPage : public fw::PropertyPage {
 public:
  CLinkInfoPage() : fw::PropertyPage(IDD_LINK_INFO, "Link Info") {}
};


class CSiteSurveyPage : public fw::PropertyPage {
 public:
  CSiteSurveyPage() : fw::PropertyPage(IDD_SITE_SURVEY, "Site Survey") {}
  bool m_bColumnsBuilt = false;  // the survey list's columns exist
};

class CEncryptionPage : public fw::PropertyPage {
 public:
  CEncryptionPage() : fw::PropertyPage(IDD_ENCRYPTION, "Encryption") {}
};

class CAboutPage : public fw::PropertyPage {
 public:
  CAboutPage() : fw::PropertyPage(IDD_ABOUT, "About") {}
};

// The five pages of the configuration window, in tab order. Each page so far shows only
// its caption and its template id: the pages' own controls and behaviour are not built
// yet. The members the main frame resets between openings already exist.
#pragma once
#include "framework/property_sheet.h"
#include "res/resource.h"

class CLinkInfoPage : public fw::PropertyPage {
 public:
  CLinkInfoPage() : fw::PropertyPage(IDD_LINK_INFO, "Link Info") {}
};

class CConfigPage : public fw::PropertyPage {
 public:
  CConfigPage() : fw::PropertyPage(IDD_CONFIGURATION, "Configuration") {}
  bool m_bListsBuilt = false;  // the page's lists were filled since the window opened
};

class CSiteSurveyPage : public fw::PropertyPage {
 public:
  CSiteSurveyPage() : fw::PropertyPage(IDD_SITE_SURVEY, "Site Survey") {}
  bool m_bColumnsBuilt = false;  // the survey list's columns exist
};

class CAboutPage : public fw::PropertyPage {
 public:
  CAboutPage() : fw::PropertyPage(IDD_ABOUT, "About") {}
};

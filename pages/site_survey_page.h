// The Site Survey tab: scan for access points and cells, list them, join one.
// Template IDD_SITE_SURVEY, help topic IDH_SITE_SURVEY. The page's controls and behaviour live in this header and
// pages/site_survey_page.cpp; its handler table lists its events in the order of its event table.
#pragma once
#include <span>

#include "framework/page.h"
#include "res/resource.h"

class CSiteSurveyPage : public fw::Page<CSiteSurveyPage> {
 public:
  CSiteSurveyPage() : Page(IDD_SITE_SURVEY, "Site Survey") { helpTopic = IDH_SITE_SURVEY; }
  static std::span<const fw::Handler<CSiteSurveyPage>> Handlers() { return {}; }
  bool m_bColumnsBuilt = false;  // the survey list's columns exist
};

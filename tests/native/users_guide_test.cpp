// The user's guide the Help button opens: a section for every tab's help topic (the help
// route opens the guide at "#topic-<id>"), and every picture it shows among the pictures the
// build puts beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "res/resource.h"

namespace {

std::string ReadGuide() {
  std::ifstream in(std::string(TW_SOURCE_DIR) + "/res/tw7720util.html", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(UsersGuideTest, EveryTabsHelpTopicHasOneSection) {
  const std::string guide = ReadGuide();
  ASSERT_FALSE(guide.empty());
  for (int topic : {IDH_LINK_INFO, IDH_CONFIGURATION, IDH_SITE_SURVEY, IDH_ENCRYPTION, IDH_ABOUT})
    EXPECT_EQ(Count(guide, "id=\"topic-" + std::to_string(topic) + "\""), 1u) << "topic " << topic;
}

TEST(UsersGuideTest, EveryPictureIsOneTheBuildPutsBesideTheGuide) {
  const std::string guide = ReadGuide();
  const std::regex picture("<img src=\"guide/([^\"]+)\"");
  size_t pictures = 0;
  for (auto m = std::sregex_iterator(guide.begin(), guide.end(), picture); m != std::sregex_iterator(); ++m) {
    ++pictures;
    EXPECT_TRUE(std::filesystem::exists(std::string(TW_SOURCE_DIR) + "/docs/" + (*m)[1].str())) << (*m)[1].str();
  }
  EXPECT_EQ(pictures, Count(guide, "<img ")) << "a picture from anywhere but guide\\";
  EXPECT_GE(pictures, 5u) << "each tab's section shows its tab";
}

}  // namespace

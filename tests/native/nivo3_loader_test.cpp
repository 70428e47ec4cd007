// The portable side of loading NIVO3.DLL: the path beside the program, resolving every
// operation by name, the messages, and the start-up's refusal to run without the library.
#include "driver/nivo3_loader.h"

#include <gtest/gtest.h>

#include <map>

#include "app/quorvel_app.h"
#include "support/app_fixture.h"
#include "support/recording_nivo.h"

namespace {

TEST(NivoLibraryPath, IsTheProgramFolderWithTheLibraryName) {
  EXPECT_EQ(NivoLibraryPathFor("C:\\Tools\\tw7720util.exe"), "C:\\Tools\\NIVO3.DLL");
  EXPECT_EQ(NivoLibraryPathFor("C:\\tw7720util.exe"), "C:\\NIVO3.DLL");
  EXPECT_EQ(NivoLibraryPathFor("C:\\a.b\\util"), "C:\\a.b\\NIVO3.DLL");
  EXPECT_EQ(NivoLibraryPathFor("tw7720util.exe"), "NIVO3.DLL");
}

// A library's exports: name → address.
using Exports = std::map<std::string, NivoProc>;

Exports ExportsOf(const NivoFunctions& table) {
  Exports exports;
#define NIVO_EXPORT_ENTRY(name, ...) exports[#name] = reinterpret_cast<NivoProc>(table.name);
  NIVO_OPERATIONS(NIVO_EXPORT_ENTRY)
#undef NIVO_EXPORT_ENTRY
  return exports;
}

NivoProc Lookup(void* context, const char* name) {
  const Exports& exports = *static_cast<Exports*>(context);
  auto found = exports.find(name);
  return found == exports.end() ? nullptr : found->second;
}

TEST(ResolveNivoFunctions, BindsEachOperationToTheExportOfItsName) {
  testing_nivo::RecordingNivo fake;
  const NivoFunctions source = fake.table();
  Exports exports = ExportsOf(source);
  ASSERT_EQ(exports.size(), 24u);
  NivoFunctions resolved;
  std::string missing = "stale";
  ASSERT_TRUE(ResolveNivoFunctions(&Lookup, &exports, resolved, missing));
  EXPECT_EQ(missing, "");
#define NIVO_CHECK_ENTRY(name, ...) EXPECT_EQ(resolved.name, source.name) << #name;
  NIVO_OPERATIONS(NIVO_CHECK_ENTRY)
#undef NIVO_CHECK_ENTRY
}

TEST(ResolveNivoFunctions, NamesTheMissingOperationAndLeavesTheTable) {
  testing_nivo::RecordingNivo fake;
  for (const char* absent : {"NIVO_Init", "NIVO_SiteSurveyGet", "NIVO_GetWLANDriverPath"}) {
    Exports exports = ExportsOf(fake.table());
    exports.erase(absent);
    NivoFunctions resolved;
    std::string missing;
    EXPECT_FALSE(ResolveNivoFunctions(&Lookup, &exports, resolved, missing));
    EXPECT_EQ(missing, absent);
    EXPECT_EQ(resolved.NIVO_Init, nullptr);
    EXPECT_EQ(resolved.NIVO_Terminate, nullptr);
  }
}

TEST(NivoLoaderMessages, NameTheFileWithItsPathAndTheOperation) {
  const std::string path = "C:\\Tools\\NIVO3.DLL";
  EXPECT_NE(MissingLibraryMessage(path).find(path), std::string::npos);
  const std::string text = MissingOperationMessage("NIVO_SetSSID", path);
  EXPECT_NE(text.find("NIVO_SetSSID"), std::string::npos);
  EXPECT_NE(text.find(path), std::string::npos);
}

class StartupLoaderTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    calls = 0;
  }
  void TearDown() override {
    gNivoStartupLoader = nullptr;
    AppTest::TearDown();
  }
  static inline int calls = 0;
};

TEST_F(StartupLoaderTest, WithoutTheLibraryTheStartEndsBeforeAnyWindowAndReleasesTheMutex) {
  gNivoStartupLoader = [] { return ++calls, false; };
  {
    CQuorvelApp app;
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sys.liveWindowCount(), 0u);
    EXPECT_EQ(gInstanceMutex, nullptr);
  }
  // A new start runs once the library is there.
  gNivoStartupLoader = [] { return ++calls, true; };
  CQuorvelApp again;
  EXPECT_TRUE(again.InitInstance());
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(again.ExitInstance(0), 0);
}

TEST_F(StartupLoaderTest, ASecondInstanceDoesNotLoadTheLibrary) {
  gNivoStartupLoader = [] { return ++calls, true; };
  sys.heldMutexNames.insert(kInstanceMutexName);
  CQuorvelApp app;
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(calls, 0);
}

TEST(NivoStartupLoader, NoLoaderSetMeansNothingToLoad) {
  gNivoStartupLoader = nullptr;
  EXPECT_TRUE(LoadNivoLibraryAtStartup());
}

}  // namespace

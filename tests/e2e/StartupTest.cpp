// The real Quenlo.exe started as its own process, as the shell or a user would start it, on an
// installation laid out afresh for every case.
#include <gtest/gtest.h>

#include "tests/e2e/Installation.h"

namespace e2e {
namespace {

const char kErrorText[] =
    "Error retrieving user information.\r\n"
    "Please be sure Tavlo Desktop has been properly installed and a user has been setup.";

const std::string kAnnaQueue = kAppPath + "\\AnnaB\\Acc\\";
const std::string kSamQueue = kAppPath + "\\SamO\\Acc\\";

class StartupTest : public ::testing::Test {
 protected:
  void Start(const Installation& installation) {
    Prepare(installation);
    profileBefore_ = ReadFile(kAppPath + "\\Profile.mdb");
  }
  // The program only ever reads the profile database.
  void TearDown() override { EXPECT_EQ(profileBefore_, ReadFile(kAppPath + "\\Profile.mdb")); }

 private:
  std::string profileBefore_;
};

void ExpectNormalEnd(const RunResult& run) {
  EXPECT_TRUE(run.ended);
  EXPECT_FALSE(run.messageShown) << run.message.text;
  EXPECT_EQ(0u, run.exitCode);
}

TEST_F(StartupTest, QueuesTheFileTheCommandLineNames) {
  struct Case {
    const char* what;
    std::string arguments;
    std::string folder;
    std::vector<std::string> queued;  // what Sam's queue holds afterwards
  };
  const Case cases[] = {
      {"no arguments", "", kSources, {}},
      {"a switch first", "/p C:\\x\\a.app", kSources, {"a.app"}},
      {"an empty argument first", "\"\" C:\\x\\a.app", kSources, {"a.app"}},
      {"a bare name from the current folder", "a.app", kSources, {"a.app"}},
      {"a name with spaces, quoted", "\"C:\\x\\my game.app\"", kSources, {"my game.app"}},
      {"later arguments ignored", "C:\\x\\b.tdb C:\\x\\a.app", kSources, {"b.tdb"}},
      {"a missing file", "C:\\x\\missing.app", kSources, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start({});
    RunResult run = RunProgram(kInstalledExe, c.arguments, c.folder);
    ExpectNormalEnd(run);
    EXPECT_EQ(c.queued, FilesIn(kSamQueue));
    for (const std::string& name : c.queued) EXPECT_EQ(ReadFile(kSources + "\\" + name), ReadFile(kSamQueue + name));
    EXPECT_EQ(std::vector<std::string>{}, FilesIn(kAnnaQueue));
  }
}

TEST_F(StartupTest, ReplacesAQueuedFileAndLeavesTheQueuedFileItselfIntact) {
  Start({});
  WriteFile(kSamQueue + "a.app", "an older a.app");
  ExpectNormalEnd(RunProgram(kInstalledExe, "C:\\x\\a.app", kSources));
  EXPECT_EQ("alpha application", ReadFile(kSamQueue + "a.app"));

  // Opening the queued file itself from the shell: copying a file onto itself must not harm it.
  const std::string queued = kSamQueue + "a.app";
  ExpectNormalEnd(RunProgram(kInstalledExe, "\"" + queued + "\"", kSamQueue));
  EXPECT_EQ("alpha application", ReadFile(queued));
}

TEST_F(StartupTest, SettlesTheStartingUser) {
  struct Case {
    const char* what;
    std::string lastUser;
    std::string queue;  // where the file goes
  };
  const Case cases[] = {
      {"a stored user", "Sam Okafor", kSamQueue},
      {"a name differing only in case", "sAM oKAFOR", kSamQueue},
      {"an unknown user: the first by name", "Nobody", kAnnaQueue},
      {"an empty name: the first by name", "", kAnnaQueue},
      {"a name with a quote", "Kim O'Neill", kAppPath + "\\KimO\\Acc\\"},
      {"a name shaped like an injection", "x' OR UserName = 'Sam Okafor", kAnnaQueue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Installation installation;
    installation.lastUser = c.lastUser;
    Start(installation);
    ExpectNormalEnd(RunProgram(kInstalledExe, "C:\\x\\a.app", kSources));
    EXPECT_EQ("alpha application", ReadFile(c.queue + "a.app"));
    EXPECT_EQ(c.lastUser, SettingsValue("LastUser"));  // start-up never writes it
  }
}

TEST_F(StartupTest, StopsWithTheUserInformationError) {
  struct Case {
    const char* what;
    Installation installation;
  };
  Installation noUsers, missingProfile, damagedProfile, noSettings, noLastUser;
  noUsers.users = {};
  missingProfile.profile = Installation::Missing;
  damagedProfile.profile = Installation::Damaged;
  noSettings.settingsKey = false;
  noLastUser.lastUser.reset();
  const Case cases[] = {
      {"no users", noUsers},
      {"no profile database", missingProfile},
      {"a damaged profile database", damagedProfile},
      {"no settings", noSettings},
      {"no LastUser value", noLastUser},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start(c.installation);
    RunResult run = RunProgram(kInstalledExe, "C:\\x\\a.app", kSources);
    EXPECT_TRUE(run.ended);
    ASSERT_TRUE(run.messageShown);
    EXPECT_EQ("Quenlo", run.message.caption);
    EXPECT_EQ(kErrorText, run.message.text);
    EXPECT_EQ(std::vector<std::string>{"OK"}, run.message.buttons);
    EXPECT_EQ(driver::MessageBoxContent::Exclamation, run.message.icon);
    EXPECT_EQ(0u, run.exitCode);
    for (const ProfileUser& user : DefaultUsers())
      EXPECT_EQ(std::vector<std::string>{}, FilesIn(kAppPath + "\\" + user.path + "Acc"));
    EXPECT_FALSE(ClassesValue("Tavlo_app"));  // stopped before registering
  }
}

TEST_F(StartupTest, TheMessageBoxIsCaptionedWithTheExecutablesOwnName) {
  Installation installation;
  installation.settingsKey = false;
  Start(installation);
  const std::string renamed = kAppPath + "\\Installer Copy.exe";
  ASSERT_TRUE(CopyFileA(kInstalledExe.c_str(), renamed.c_str(), FALSE));
  RunResult run = RunProgram(renamed, "", kSources, "Installer Copy");
  ASSERT_TRUE(run.messageShown);
  EXPECT_EQ(kErrorText, run.message.text);
}

TEST_F(StartupTest, RegistersBothFileTypes) {
  Start({});
  ExpectNormalEnd(RunProgram(kInstalledExe, "", kSources));
  const std::string open = "\"" + kAppPath + "\\Quenlo.exe\" \"%1\"";
  EXPECT_EQ("Tavlo_app", ClassesValue(".app"));
  EXPECT_EQ("Tavlo Application File", ClassesValue("Tavlo_app"));
  EXPECT_EQ(open, ClassesValue("Tavlo_app\\shell\\open\\command"));
  EXPECT_EQ(kAppPath + "\\Quenlo.exe,0", ClassesValue("Tavlo_app\\DefaultIcon"));
  EXPECT_EQ("Tavlo_dbfile", ClassesValue(".tdb"));
  EXPECT_EQ("Tavlo Database File", ClassesValue("Tavlo_dbfile"));
  EXPECT_EQ(open, ClassesValue("Tavlo_dbfile\\shell\\open\\command"));
  EXPECT_EQ(kAppPath + "\\Quenlo.exe,2", ClassesValue("Tavlo_dbfile\\DefaultIcon"));
}

TEST_F(StartupTest, NeverRewritesARegisteredGroup) {
  Start({});
  // The application group registered by an older installation elsewhere; no database group.
  SetClassesValue(".app", "Tavlo_app");
  SetClassesValue("Tavlo_app", "Old Name");
  SetClassesValue("Tavlo_app\\shell\\open\\command", "\"C:\\Old\\Quenlo.exe\" \"%1\"");
  ExpectNormalEnd(RunProgram(kInstalledExe, "", kSources));
  EXPECT_EQ("Old Name", ClassesValue("Tavlo_app"));
  EXPECT_EQ("\"C:\\Old\\Quenlo.exe\" \"%1\"", ClassesValue("Tavlo_app\\shell\\open\\command"));
  EXPECT_FALSE(ClassesValue("Tavlo_app\\DefaultIcon"));
  EXPECT_EQ("Tavlo Database File", ClassesValue("Tavlo_dbfile"));
  EXPECT_EQ(kAppPath + "\\Quenlo.exe,2", ClassesValue("Tavlo_dbfile\\DefaultIcon"));
}

}  // namespace
}  // namespace e2e

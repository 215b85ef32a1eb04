// Desktop shortcuts: names, descriptions, targets, and each way the step ends
// early. One test reads the links back with Debian's lnkinfo.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "deploy/DeployMachine.h"

namespace deploy_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DesktopShortcutTest : public DeployTest {};

TEST_F(DesktopShortcutTest, LinksAreNamedAndDescribedAfterTheUtility) {
  struct Case {
    const char* name;
    const char* link;
    const char* description;
  };
  const Case cases[] = {
      {"VyxUsbPrintConfig.exe", "VYXUSBPRINTCONFIG.LNK", "Shortcut to VYXUSBPRINTCONFIG.EXE"},
      {"SerialMP.exe", "SERIALMP.LNK", "Shortcut to SERIALMP.EXE"},
      {"Config.ini", "CONFIG.LNK", "Shortcut to CONFIG.INI"},
  };
  for (bool win2kXp : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (win2kXp ? " 2000/XP" : " 98/Me"));
      Start(win2kXp ? OsXp() : Os98());
      EXPECT_EQ(installer_->CreateDesktopShortcut(c.name), 1);
      EXPECT_THAT(BoxTexts(), IsEmpty());
      EXPECT_THAT(AllLinks(), ElementsAre(Desktop() + "\\" + c.link));
      LinkFile link = Link(Desktop() + "\\" + c.link);
      ASSERT_TRUE(link.valid);
      EXPECT_EQ(link.description, c.description);
      // The target keeps the name's own letter case.
      EXPECT_EQ(link.localPath, SystemFolder() + "\\" + c.name);
      TearDown();
    }
  }
}

TEST_F(DesktopShortcutTest, ExistingLinkIsReplaced) {
  Start(OsXp());
  machine_->WriteFile(Desktop() + "\\CONFIG.LNK", "an old link");
  EXPECT_EQ(installer_->CreateDesktopShortcut("Config.ini"), 1);
  LinkFile link = Link(Desktop() + "\\CONFIG.LNK");
  ASSERT_TRUE(link.valid);
  EXPECT_EQ(link.localPath, windows_ + "\\System32\\Config.ini");
}

TEST_F(DesktopShortcutTest, DesktopFolderWithADotKeepsTheWholeFolder) {
  Start(OsXp());
  const std::string desktop = "C:\\Documents and Settings\\j.doe\\Desktop";
  machine_->MakeFolder(desktop);
  machine_->SetString(kShellFolders, "Desktop", desktop);
  EXPECT_EQ(installer_->CreateDesktopShortcut("SerialMP.exe"), 1);
  EXPECT_THAT(AllLinks(), ElementsAre(desktop + "\\SERIALMP.LNK"));
}

TEST_F(DesktopShortcutTest, RefusedPathIsReportedAndTheLinkStillWritten) {
  for (int displayError : {1, 0}) {
    SCOPED_TRACE(displayError);
    Start(Os98(), displayError);
    machine_->AddFault("SetPath", windows_ + "\\System\\SerialMP.exe", plat::kErrorAccessDenied);
    EXPECT_EQ(installer_->CreateDesktopShortcut("SerialMP.exe"), 1);
    if (displayError)
      EXPECT_THAT(BoxTexts(), ElementsAre(kSetPathError));
    else
      EXPECT_THAT(BoxTexts(), IsEmpty());
    LinkFile link = Link(Desktop() + "\\SERIALMP.LNK");
    ASSERT_TRUE(link.valid);
    EXPECT_EQ(link.localPath, "");
    EXPECT_EQ(link.description, "Shortcut to SERIALMP.EXE");
    TearDown();
  }
}

TEST_F(DesktopShortcutTest, FailedDescriptionOrSaveEndsQuietlyWithOne) {
  struct Case {
    const char* operation;
    bool written;
  };
  for (const Case& c : {Case{"SetDescription", true}, Case{"Save", false}}) {
    SCOPED_TRACE(c.operation);
    Start(OsXp());
    machine_->AddFault(c.operation, "*", plat::kErrorAccessDenied);
    EXPECT_EQ(installer_->CreateDesktopShortcut("Config.ini"), 1);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    EXPECT_EQ(machine_->FileExists(Desktop() + "\\CONFIG.LNK"), c.written);
    TearDown();
  }
}

TEST_F(DesktopShortcutTest, LinkObjectThatCannotBeMadeEndsTheStep) {
  struct Case {
    const char* operation;
    const char* target;
  };
  for (const Case& c :
       {Case{"CoCreateInstance", "ShellLink"}, Case{"QueryInterface", "IPersistFile"}}) {
    SCOPED_TRACE(c.operation);
    Start(OsXp());
    machine_->AddFault(c.operation, c.target, plat::kErrorAccessDenied);
    EXPECT_EQ(installer_->CreateDesktopShortcut("Config.ini"), 0);
    EXPECT_THAT(BoxTexts(), ElementsAre(kIconError));
    EXPECT_THAT(AllLinks(), IsEmpty());
    TearDown();
  }
}

TEST_F(DesktopShortcutTest, WithoutADesktopFolderNoLinkIsWritten) {
  struct Case {
    const char* label;
    void (*prepare)(sim::Machine&);
  };
  const Case cases[] = {
      {"no Shell Folders key", [](sim::Machine& m) { m.DeleteKeyTree(kShellFolders); }},
      {"no Desktop value",
       [](sim::Machine& m) {
         m.DeleteKeyTree(kShellFolders);
         m.SetString(kShellFolders, "Personal", "C:\\My Documents");
       }},
      {"empty value", [](sim::Machine& m) { m.SetString(kShellFolders, "Desktop", ""); }},
      {"a number", [](sim::Machine& m) { m.SetDword(kShellFolders, "Desktop", 7); }},
      {"value refused",
       [](sim::Machine& m) { m.AddFault("RegQueryValue", "*", plat::kErrorAccessDenied); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Start(OsXp());
    c.prepare(*machine_);
    EXPECT_EQ(installer_->CreateDesktopShortcut("SerialMP.exe"), 0);
    EXPECT_THAT(BoxTexts(), IsEmpty());
    // Above all not at the root of the current drive.
    EXPECT_THAT(AllLinks(), IsEmpty());
    EXPECT_THAT(machine_->Changes(), IsEmpty());
    TearDown();
  }
}

TEST_F(DesktopShortcutTest, DesktopValueWithoutItsZeroIsReadToItsEnd) {
  Start(OsXp());
  const std::string desktop = "C:\\Desk";
  machine_->MakeFolder(desktop);
  machine_->SetValue(kShellFolders, "Desktop", plat::kRegSz,
                     std::vector<std::uint8_t>(desktop.begin(), desktop.end()));
  EXPECT_EQ(installer_->CreateDesktopShortcut("Config.ini"), 1);
  EXPECT_THAT(AllLinks(), ElementsAre("C:\\Desk\\CONFIG.LNK"));
}

TEST_F(DesktopShortcutTest, LinkPathPastThePathLimitIsReported) {
  // A Desktop folder so long that the folder itself, or the folder with the link
  // name, does not fit: the link is not written under a shortened name.
  for (std::size_t length : {300u, 259u, 250u}) {
    SCOPED_TRACE(length);
    Start(OsXp());
    std::string desktop = "C:";
    while (desktop.size() < length) desktop += "\\" + std::string(40, 'd');
    desktop.resize(length);
    machine_->MakeFolder(desktop);
    machine_->SetString(kShellFolders, "Desktop", desktop);
    EXPECT_EQ(installer_->CreateDesktopShortcut("SerialMP.exe"), 0);
    EXPECT_THAT(BoxTexts(), ElementsAre(kIconError));
    EXPECT_THAT(AllLinks(), IsEmpty());
    TearDown();
  }
}

TEST_F(DesktopShortcutTest, WindowsFolderThatCannotBeReadIsReported) {
  Start(Os98());
  machine_->AddFault("GetWindowsDirectory", "*", plat::kErrorInvalidParameter);
  EXPECT_EQ(installer_->CreateDesktopShortcut("Config.ini"), 0);
  EXPECT_THAT(BoxTexts(), ElementsAre(kWindowsDirectoryError));
  EXPECT_THAT(AllLinks(), IsEmpty());
}

// lnkinfo's report of a link file, field by field.
std::map<std::string, std::string> LnkInfo(const std::filesystem::path& file) {
  std::map<std::string, std::string> fields;
  std::string command = "lnkinfo '" + file.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return fields;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::size_t colon = text.find(':');
    if (colon == std::string::npos) continue;
    std::string key = text.substr(0, colon);
    key.erase(0, key.find_first_not_of(" \t"));
    key.erase(key.find_last_not_of(" \t") + 1);
    std::string value = colon + 2 <= text.size() ? text.substr(colon + 2) : "";
    fields.emplace(key, value);
  }
  pclose(pipe);
  return fields;
}

TEST_F(DesktopShortcutTest, LinkFilesAreReadBackByLnkinfo) {
  if (std::system("command -v lnkinfo > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "lnkinfo is not installed";
  for (bool win2kXp : {false, true}) {
    SCOPED_TRACE(win2kXp ? "2000/XP" : "98/Me");
    Start(win2kXp ? OsXp() : Os98());
    ASSERT_EQ(installer_->DeployDrivers(), 1);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"VYXUSBPRINTCONFIG.LNK", "VyxUsbPrintConfig.exe"},
        {"SERIALMP.LNK", "SerialMP.exe"},
        {"CONFIG.LNK", "Config.ini"},
    };
    for (const auto& [link, target] : expected) {
      SCOPED_TRACE(link);
      std::map<std::string, std::string> fields =
          LnkInfo(machine_->HostPath(Desktop() + "\\" + link));
      EXPECT_EQ(fields["Local path"], SystemFolder() + "\\" + target);
      std::string upper = target;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      EXPECT_EQ(fields["Description"], "Shortcut to " + upper);
      // The target exists on the machine, so its size is recorded too.
      EXPECT_EQ(
          fields["File size"],
          std::to_string(machine_->ReadFile(SystemFolder() + "\\" + target)->size()) + " bytes");
    }
    TearDown();
  }
}

}  // namespace
}  // namespace deploy_test

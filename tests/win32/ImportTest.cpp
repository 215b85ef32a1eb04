// What Windows 98 SE needs to load Setup.exe: an i686 GUI image whose static
// imports are all on the checked-in list of functions that Windows 98 SE exports,
// from system DLLs only.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

#include "win32/PeImage.h"
#include "win32/Win32Build.h"

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The import table as objdump -p prints it: "DLL Name: X" then one line per
// function ("\t<hint-rva>\t <ordinal>  <name>") up to an empty line.
std::set<std::string> ParseObjdumpImports(const std::string& listing) {
  std::set<std::string> imports;
  std::istringstream lines(listing);
  std::string line, dll;
  while (std::getline(lines, line)) {
    if (auto at = line.find("DLL Name: "); at != std::string::npos) {
      dll = Upper(line.substr(at + 10));
      continue;
    }
    if (line.find_first_not_of(" \t") == std::string::npos) {
      dll.clear();
      continue;
    }
    if (dll.empty()) continue;
    std::istringstream fields(line);
    std::string hint, ordinal, name;
    // Function lines only: the column headings carry no ordinal number.
    if (fields >> hint >> ordinal >> name &&
        ordinal.find_first_not_of("0123456789") == std::string::npos)
      imports.insert(dll + "!" + name);
  }
  return imports;
}

std::set<std::string> ReadAllowList() {
  std::ifstream in(std::filesystem::path(SETUP_SOURCE_DIR) /
                   "src/platform/win32/allowed-imports.txt");
  std::set<std::string> allowed;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    auto bang = line.find('!');
    allowed.insert(Upper(line.substr(0, bang)) + line.substr(bang));
  }
  return allowed;
}

class SetupExeImports : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(win32test::SetupExe()))
        << win32test::MissingBuildMessage(win32test::SetupExe());
    int status = 0;
    std::string listing = win32test::RunCommand(
        "i686-w64-mingw32-objdump -p '" + win32test::SetupExe().string() + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << "i686-w64-mingw32-objdump failed (scripts/install-deps.sh win32 "
                            "installs it):\n"
                         << listing;
    imports_ = ParseObjdumpImports(listing);
  }
  std::set<std::string> imports_;
};

TEST(ObjdumpImportParser, ReadsDllsAndFunctions) {
  const char* listing =
      "The Import Tables (interpreted .idata section contents)\n"
      " vma:            Hint    Time      Forward  DLL       First\n"
      " 00013000\t00013078 00000000 00000000 000137d8 000131ac\n"
      "\n"
      "\tDLL Name: ADVAPI32.dll\n"
      "\tvma:  Hint/Ord Member-Name Bound-To\n"
      "\t132e0\t 1569  RegCloseKey\n"
      "\n"
      " 00013028\t00013148 00000000 00000000 000138a0 0001327c\n"
      "\n"
      "\tDLL Name: ole32.dll\n"
      "\tvma:  Hint/Ord Member-Name Bound-To\n"
      "\t1365a\t   17  CoCreateInstance\n"
      "\n";
  EXPECT_EQ(ParseObjdumpImports(listing),
            (std::set<std::string>{"ADVAPI32.DLL!RegCloseKey", "OLE32.DLL!CoCreateInstance"}));
}

TEST_F(SetupExeImports, EveryImportIsOnTheWindows98List) {
  ASSERT_FALSE(imports_.empty()) << "no import table read";
  std::set<std::string> allowed = ReadAllowList();
  ASSERT_FALSE(allowed.empty()) << "allowed-imports.txt is missing or empty";
  for (const std::string& import : imports_)
    EXPECT_TRUE(allowed.count(import)) << import << " is not on allowed-imports.txt";
}

TEST_F(SetupExeImports, OnlySystemDllsAreImported) {
  const std::set<std::string> systemDlls = {"KERNEL32.DLL", "USER32.DLL",  "GDI32.DLL",
                                            "ADVAPI32.DLL", "SHELL32.DLL", "OLE32.DLL"};
  for (const std::string& import : imports_) {
    std::string dll = import.substr(0, import.find('!'));
    EXPECT_TRUE(systemDlls.count(dll)) << import;
  }
}

// Windows 98 and Me export none of these; they are looked up at run time, and
// must not reach the list either.
TEST_F(SetupExeImports, FunctionsMissingOnWindows98AreNotImported) {
  const std::set<std::string> lookedUp = {"GetNamedSecurityInfoA", "SetEntriesInAclA",
                                          "SetNamedSecurityInfoA", "BuildExplicitAccessWithNameA",
                                          "SetupCopyOEMInfA",      "OpenProcessToken",
                                          "LookupPrivilegeValueA", "AdjustTokenPrivileges"};
  auto function = [](const std::string& entry) { return entry.substr(entry.find('!') + 1); };
  for (const std::string& entry : imports_)
    EXPECT_FALSE(lookedUp.count(function(entry))) << entry << " must be looked up at run time";
  for (const std::string& entry : ReadAllowList())
    EXPECT_FALSE(lookedUp.count(function(entry))) << "allowed-imports.txt lists " << entry;
}

TEST(SetupExeImage, IsAnI686GuiProgramWindows98CanLoad) {
  ASSERT_TRUE(std::filesystem::exists(win32test::SetupExe()))
      << win32test::MissingBuildMessage(win32test::SetupExe());
  std::string error;
  auto image = pe::Image::Load(win32test::SetupExe(), &error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->Machine(), 0x14C);            // i386
  EXPECT_EQ(image->Subsystem(), 2);              // Windows GUI
  EXPECT_EQ(image->MajorSubsystemVersion(), 4);  // Windows 95/98 refuse 5.0 and later
  EXPECT_EQ(image->MinorSubsystemVersion(), 0);
}

TEST(SetupExeImage, StaysUnder200Kilobytes) {
  ASSERT_TRUE(std::filesystem::exists(win32test::SetupExe()))
      << win32test::MissingBuildMessage(win32test::SetupExe());
  EXPECT_LT(std::filesystem::file_size(win32test::SetupExe()), 200u * 1024u);
}

}  // namespace

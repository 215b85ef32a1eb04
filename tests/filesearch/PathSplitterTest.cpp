#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesearch/CPathSplitter.h"

namespace {

struct SplitCase {
  const char* text;
  const char* drive;
  const char* folder;
  const char* name;
  const char* extension;  // with its dot, as GetExtension gives it
  const char* full;
  bool relative;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, PartsAndJoin) {
  const SplitCase& c = GetParam();
  CPathSplitter path(c.text);
  EXPECT_EQ(path.GetDrive(), c.drive);
  EXPECT_EQ(path.GetFolder(-1), c.folder);
  EXPECT_EQ(path.GetName(), c.name);
  EXPECT_EQ(path.GetExtension(), c.extension);
  EXPECT_STREQ(path.GetFullPath(), c.full);
  EXPECT_EQ(path.IsRelative(), c.relative);
  EXPECT_EQ(path.GetDriveAndFolder(), std::string(c.drive) + c.folder);
  EXPECT_EQ(path.GetNameAndExtension(), std::string(c.name) + c.extension);
  EXPECT_EQ(path.BuildPath(0, 1), c.text);
  EXPECT_EQ(path.BuildPath(0, 0), c.full);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitTest,
    testing::Values(SplitCase{"C:\\WINDOWS\\inf\\oem3.inf", "C:", "\\WINDOWS\\inf\\", "oem3",
                              ".inf", "C:\\WINDOWS\\inf\\oem3.inf", false},
                    SplitCase{"\\\\server\\share\\inf\\oem3.inf", "", "\\\\server\\share\\inf\\",
                              "oem3", ".inf", "\\\\server\\share\\inf\\oem3.inf", false},
                    SplitCase{"C:\\WINDOWS\\inf\\README", "C:", "\\WINDOWS\\inf\\", "README", "",
                              "C:\\WINDOWS\\inf\\README", false},
                    SplitCase{"C:\\inf\\a.b.inf.bak", "C:", "\\inf\\", "a.b.inf", ".bak",
                              "C:\\inf\\a.b.inf.bak", false},
                    // A name that begins with its only dot keeps it.
                    SplitCase{"C:\\WINDOWS\\inf\\.inf", "C:", "\\WINDOWS\\inf\\", "", ".inf",
                              "C:\\WINDOWS\\inf\\.inf", false},
                    SplitCase{"C:\\WINDOWS\\inf\\..inf", "C:", "\\WINDOWS\\inf\\", ".", ".inf",
                              "C:\\WINDOWS\\inf\\..inf", false},
                    // A folder as the finder stores it.
                    SplitCase{"C:\\WINDOWS\\inf\\sub.inf\\", "C:", "\\WINDOWS\\inf\\sub.inf\\", "",
                              "", "C:\\WINDOWS\\inf\\sub.inf\\", false},
                    SplitCase{"C:\\", "C:", "\\", "", "", "C:\\", false},
                    SplitCase{"\"C:\\Program Files\\a b.txt\"", "C:", "\\Program Files\\", "a b",
                              ".txt", "C:\\Program Files\\a b.txt", false},
                    SplitCase{"C:/dir/sub/f.txt", "C:", "\\dir\\sub\\", "f", ".txt",
                              "C:\\dir\\sub\\f.txt", false},
                    SplitCase{"dir\\sub\\f.txt", "", "dir\\sub\\", "f", ".txt", "dir\\sub\\f.txt",
                              true},
                    SplitCase{"f.txt", "", "", "f", ".txt", "f.txt", false},
                    SplitCase{"", "", "", "", "", "", false}));

TEST(PathSplitter, RefusesTextsLongerThanAPath) {
  const std::string folder = "C:\\" + std::string(240, 'd') + "\\";
  const std::string fits = folder + std::string(259 - folder.size() - 4, 'n') + ".inf";
  ASSERT_EQ(fits.size(), 259u);
  EXPECT_EQ(CPathSplitter(fits.c_str()).GetFullPath(), fits);

  const std::string tooLong = fits + "x";
  for (int hasArguments : {0, 1}) {
    CPathSplitter refused(tooLong.c_str(), 0, hasArguments);
    EXPECT_STREQ(refused.GetFullPath(), "");
    EXPECT_EQ(refused.BuildPath(1, 1), "");
    EXPECT_EQ(refused.GetFolderCount(), 0);
    EXPECT_EQ(refused.GetArgumentCount(), 0);
  }
  EXPECT_STREQ(CPathSplitter(nullptr).GetFullPath(), "");
}

TEST(PathSplitter, LastIsFolderKeepsTheWholeComponent) {
  CPathSplitter path("C:\\data\\old.save", 1, 0);
  EXPECT_EQ(path.GetFolder(-1), "\\data\\old.save\\");
  EXPECT_FALSE(path.HasName());
  EXPECT_EQ(path.GetExtension(), "");
  EXPECT_STREQ(path.GetFullPath(), "C:\\data\\old.save\\");

  CPathSplitter bare("data", 1, 0);
  EXPECT_EQ(bare.GetFolder(-1), "data\\");
  EXPECT_TRUE(bare.IsRelative());
  ASSERT_EQ(bare.GetFolderCount(), 1);
  EXPECT_EQ(bare.GetFolder(0), "data");
}

struct FolderCase {
  const char* text;
  std::vector<std::string> names;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class FolderNamesTest : public testing::TestWithParam<FolderCase> {};

TEST_P(FolderNamesTest, CutAtBackslashes) {
  const FolderCase& c = GetParam();
  CPathSplitter path(c.text);
  ASSERT_EQ(path.GetFolderCount(), static_cast<int>(c.names.size()));
  for (int i = 0; i < path.GetFolderCount(); ++i)
    EXPECT_EQ(path.GetFolder(i), c.names[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(path.GetFolder(path.GetFolderCount()), "");
  EXPECT_EQ(path.GetFolder(path.GetFolderCount() + 5), "");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderNamesTest,
    testing::Values(FolderCase{"C:\\WINDOWS\\inf\\oem3.inf", {"WINDOWS", "inf"}},
                    FolderCase{"C:\\WINDOWS\\inf\\", {"WINDOWS", "inf"}},
                    FolderCase{"WINDOWS\\inf\\oem3.inf", {"WINDOWS", "inf"}},
                    FolderCase{"\\\\server\\share\\oem3.inf", {"server", "share"}},
                    // Rooted without a drive: the first name is whole.
                    FolderCase{"\\WINDOWS\\inf\\oem3.inf", {"WINDOWS", "inf"}},
                    FolderCase{"C:/a/b/c", {"a", "b"}}, FolderCase{"C:\\oem3.inf", {}},
                    FolderCase{"oem3.inf", {}}, FolderCase{"", {}}));

struct Record {
  char switchChar;
  std::string name;
  std::string value;
};

struct ArgumentCase {
  const char* line;
  const char* arguments;  // GetArgument(-1)
  std::vector<Record> records;
};

void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class ArgumentsTest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ArgumentsTest, Records) {
  const ArgumentCase& c = GetParam();
  CPathSplitter path(c.line, 0, 1);
  EXPECT_EQ(path.GetArgument(-1, 0), c.arguments);
  ASSERT_EQ(path.GetArgumentCount(), static_cast<int>(c.records.size()));
  for (int i = 0; i < path.GetArgumentCount(); ++i) {
    const Record& r = c.records[static_cast<std::size_t>(i)];
    EXPECT_EQ(path.GetArgument(i, 1), r.name) << i;
    EXPECT_EQ(path.GetArgument(i, 0), r.value) << i;
  }
  EXPECT_EQ(path.GetArgument(path.GetArgumentCount(), 1), "");
  EXPECT_EQ(path.GetArgument(path.GetArgumentCount(), 0), "");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ArgumentsTest,
    testing::Values(
        ArgumentCase{"prog.exe /a /b", "/a /b", {{'/', "a", ""}, {'/', "b", ""}}},
        ArgumentCase{"prog.exe word /s", "word /s", {{'/', "", "word"}, {'/', "s", ""}}},
        ArgumentCase{"prog.exe /v value", "/v value", {{'/', "v", "value"}}},
        ArgumentCase{"prog.exe /v \"a  b\"", "/v \"a  b\"", {{'/', "v", "a  b"}}},
        // An unclosed quote ends the parsing; the switch read so far stays.
        ArgumentCase{"prog.exe /v \"a b", "/v \"a b", {{'/', "v", ""}}},
        ArgumentCase{
            "prog.exe -a x y /b", "-a x y /b", {{'-', "a", "x"}, {'-', "", "y"}, {'/', "b", ""}}},
        ArgumentCase{"\"C:\\Program Files\\p.exe\" /q", "/q", {{'/', "q", ""}}},
        ArgumentCase{"prog.exe    /a   ", "   /a   ", {{'/', "a", ""}}},
        ArgumentCase{"prog.exe", "", {}}));

TEST(PathSplitter, ArgumentsLeaveThePath) {
  CPathSplitter path("\"C:\\Program Files\\p.exe\" /q \"x y\"", 0, 1);
  EXPECT_STREQ(path.GetFullPath(), "C:\\Program Files\\p.exe");
  EXPECT_EQ(path.BuildPath(1, 0), "C:\\Program Files\\p.exe /q \"x y\"");
  // Without the flag the whole line is a path.
  CPathSplitter plain("C:\\dir\\p.exe -q");
  EXPECT_EQ(plain.GetArgumentCount(), 0);
  EXPECT_EQ(plain.GetName(), "p");
  EXPECT_EQ(plain.GetExtension(), ".exe -q");
  EXPECT_STREQ(plain.GetFullPath(), "C:\\dir\\p.exe -q");
}

TEST(PathArgument, SwitchCharacterAndText) {
  struct Case {
    const char* name;
    char switchBefore;
    const char* value;
    char switchAfter;
    const char* storedName;
    const char* text;
  };
  const Case cases[] = {
      {"/a", '-', "", '/', "a", " /a"},
      {"-a", '/', "v", '-', "a", " -a v"},
      {"a", '-', "", '-', "a", " -a"},  // neither character: the switch stays
      {"/x-y z", '/', "", '-', "xyz", " -xyz"},
      {"", '/', "a b", '/', "", " \"a b\""},
      {"", '/', "", '/', "", ""},
  };
  for (const Case& c : cases) {
    CPathArgument argument;
    argument.SetSwitch(c.switchBefore);
    argument.SetName(c.name);
    argument.SetValue(c.value);
    EXPECT_EQ(argument.GetSwitch(), c.switchAfter) << c.name;
    EXPECT_EQ(argument.GetName(), c.storedName) << c.name;
    EXPECT_EQ(argument.GetText(), c.text) << c.name;
  }
}

}  // namespace

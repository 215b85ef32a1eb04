#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "filesearch/CFileFinder.h"
#include "filesearch/FinderMachine.h"

namespace {

using findtest::Event;
using findtest::RecordEvent;
using findtest::Results;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;
using testing::UnorderedElementsAreArray;

namespace fs = std::filesystem;

class FileFinderTest : public findtest::FinderMachineTest {
 protected:
  // C:\T with files, a subfolder two levels deep and a folder named like an INF file.
  void MakeTree() {
    M().WriteFile("C:\\T\\a.txt", "abc");
    M().WriteFile("C:\\T\\b.inf", "");
    M().WriteFile("C:\\T\\sub\\c.txt", "0123456789");
    M().WriteFile("C:\\T\\sub\\deep\\d.txt", "d");
    M().MakeFolder("C:\\T\\sub.inf");
  }

  int Run(CFileFinderParams& params) {
    finder_.SetCallback(RecordEvent, reinterpret_cast<FindUserValue>(&events_));
    return finder_.Search(params);
  }

  CFileFinderParams Params(const char* folder, const char* mask = "*.*", bool subfolders = true) {
    CFileFinderParams params;
    params.m_strFolder = folder;
    params.m_strMask = mask;
    params.m_bSubfolders = subfolders;
    return params;
  }

  void Stamp(const char* path, SearchTime seconds) {
    auto when =
        std::chrono::sys_seconds(std::chrono::seconds(seconds)) + std::chrono::milliseconds(500);
    fs::last_write_time(M().HostPath(path), std::chrono::file_clock::from_sys(when));
  }

  CFileFinder finder_{Os()};
  std::vector<Event> events_;
};

TEST_F(FileFinderTest, SubfoldersFirstThenEntriesWithTheirEvents) {
  MakeTree();
  CFileFinderParams params = Params("C:\\T");
  EXPECT_EQ(Run(params), 7);
  EXPECT_EQ(params.m_strFolder, "C:\\T\\");
  EXPECT_THAT(
      events_,
      ElementsAre(
          Event{FIND_EVENT_FOLDER, "C:\\T\\sub\\deep\\"},
          Event{FIND_EVENT_FOUND, "C:\\T\\sub\\deep\\d.txt"},
          Event{FIND_EVENT_FOLDER, "C:\\T\\sub\\"}, Event{FIND_EVENT_FOUND, "C:\\T\\sub\\c.txt"},
          Event{FIND_EVENT_FOUND, "C:\\T\\sub\\deep\\"},
          Event{FIND_EVENT_FOLDER, "C:\\T\\sub.inf\\"}, Event{FIND_EVENT_FOLDER, "C:\\T\\"},
          Event{FIND_EVENT_FOUND, "C:\\T\\a.txt"}, Event{FIND_EVENT_FOUND, "C:\\T\\b.inf"},
          Event{FIND_EVENT_FOUND, "C:\\T\\sub\\"}, Event{FIND_EVENT_FOUND, "C:\\T\\sub.inf\\"}));
  EXPECT_EQ(finder_.GetCurrentFolder(), "C:\\T\\");
}

TEST_F(FileFinderTest, MaskSelectsEntriesButNotTheFoldersSearched) {
  MakeTree();
  CFileFinderParams params = Params("C:\\T\\", "**.inf*");
  Run(params);
  EXPECT_THAT(Results(finder_), ElementsAre("C:\\T\\b.inf", "C:\\T\\sub.inf\\"));
  // Without subfolders only the top folder is examined.
  finder_.ClearResults();
  events_.clear();
  CFileFinderParams flat = Params("C:\\T", "*.txt", false);
  EXPECT_EQ(Run(flat), 1);
  EXPECT_THAT(events_, ElementsAre(Event{FIND_EVENT_FOLDER, "C:\\T\\"},
                                   Event{FIND_EVENT_FOUND, "C:\\T\\a.txt"}));
}

TEST_F(FileFinderTest, AttributeAndSizeFilters) {
  M().WriteFile("C:\\F\\archive.txt", "abc", plat::kFileAttributeArchive);
  M().WriteFile("C:\\F\\hidden.txt", "", plat::kFileAttributeHidden | plat::kFileAttributeArchive);
  M().WriteFile("C:\\F\\normal.txt", "0123456789", plat::kFileAttributeNormal);
  M().WriteFile("C:\\F\\readonly.txt", "0123456789a", plat::kFileAttributeReadonly);
  M().MakeFolder("C:\\F\\sub");
  struct Case {
    plat::DWORD flags;
    plat::DWORD attributes;
    std::int64_t minSize, maxSize;
    std::vector<std::string> accepted;
  };
  const Case cases[] = {
      {FIND_BY_ATTRIBUTES, 0, 0, 0, {}},
      {FIND_BY_ATTRIBUTES, plat::kFileAttributeHidden, 0, 0, {"hidden.txt"}},
      {FIND_BY_ATTRIBUTES, plat::kFileAttributeDirectory, 0, 0, {"sub\\"}},
      {FIND_BY_ATTRIBUTES, 0x927, 0, 0, {"archive.txt", "hidden.txt", "readonly.txt"}},
      {FIND_BY_SIZE, 0, 0, 0, {"hidden.txt", "sub\\"}},
      {FIND_BY_SIZE, 0, 3, 10, {"archive.txt", "normal.txt"}},
      {FIND_BY_SIZE | FIND_BY_ATTRIBUTES, 0x927, 1, 100, {"archive.txt", "readonly.txt"}},
      {0, 0x1, 5, 6, {"archive.txt", "hidden.txt", "normal.txt", "readonly.txt", "sub\\"}},
  };
  for (const Case& c : cases) {
    CFileFinder finder(Os());
    CFileFinderParams params = Params("C:\\F", "*.*", false);
    params.m_dwFlags = c.flags;
    params.m_dwAttributes = c.attributes;
    params.m_nMinSize = c.minSize;
    params.m_nMaxSize = c.maxSize;
    finder.Search(params);
    std::vector<std::string> expected;
    for (const std::string& name : c.accepted) expected.push_back("C:\\F\\" + name);
    EXPECT_THAT(Results(finder), ElementsAreArray(expected))
        << "flags " << c.flags << " attributes " << c.attributes;
  }
}

TEST_F(FileFinderTest, TimeFiltersAcceptTheResetSecondOnly) {
  M().WriteFile("C:\\S\\before.txt", "x");
  M().WriteFile("C:\\S\\within.txt", "x");
  M().WriteFile("C:\\S\\after.txt", "x");
  for (plat::DWORD flag : {FIND_BY_WRITE_TIME, FIND_BY_CREATION_TIME, FIND_BY_ACCESS_TIME}) {
    CFileFinderParams params = Params("C:\\S", "*.*", false);
    const SearchTime from = flag == FIND_BY_WRITE_TIME      ? params.m_tWrittenFrom
                            : flag == FIND_BY_CREATION_TIME ? params.m_tCreatedFrom
                                                            : params.m_tAccessedFrom;
    const SearchTime to = flag == FIND_BY_WRITE_TIME      ? params.m_tWrittenTo
                          : flag == FIND_BY_CREATION_TIME ? params.m_tCreatedTo
                                                          : params.m_tAccessedTo;
    ASSERT_LE(from, to);
    ASSERT_LE(to - from, 1);
    Stamp("C:\\S\\before.txt", from - 1);
    Stamp("C:\\S\\within.txt", from);
    Stamp("C:\\S\\after.txt", to + 1);
    params.m_dwFlags = flag;
    CFileFinder finder(Os());
    finder.Search(params);
    EXPECT_THAT(Results(finder), ElementsAre("C:\\S\\within.txt")) << "flag " << flag;
  }
}

TEST_F(FileFinderTest, TimeBoundsAreInclusive) {
  const SearchTime t = 1'000'000'000;  // 2001-09-09
  const char* names[] = {"a.txt", "b.txt", "c.txt", "d.txt"};
  const SearchTime stamps[] = {t - 1, t, t + 5, t + 6};
  for (int i = 0; i < 4; ++i) {
    std::string path = std::string("C:\\S\\") + names[i];
    M().WriteFile(path, "x");
    Stamp(path.c_str(), stamps[i]);
  }
  CFileFinderParams params = Params("C:\\S", "*.*", false);
  params.m_dwFlags = FIND_BY_WRITE_TIME;
  params.m_tWrittenFrom = t;
  params.m_tWrittenTo = t + 5;
  finder_.Search(params);
  EXPECT_THAT(Results(finder_), ElementsAre("C:\\S\\b.txt", "C:\\S\\c.txt"));
}

// Stops at the first accepted entry: its folder's pass and every open folder end.
void StopAtFirstFound(CFileFinder* finder, int event, FindUserValue userValue) {
  RecordEvent(finder, event, userValue);
  if (event == FIND_EVENT_FOUND) finder->Stop();
}

TEST_F(FileFinderTest, StopFromTheCallbackEndsTheWholeSearch) {
  M().WriteFile("C:\\T\\s1\\inner\\x.txt", "x");
  M().WriteFile("C:\\T\\s1\\inner\\y.txt", "y");
  M().WriteFile("C:\\T\\s1\\z.txt", "z");
  M().WriteFile("C:\\T\\s2\\w.txt", "w");
  M().WriteFile("C:\\T\\top.txt", "t");
  CFileFinderParams params = Params("C:\\T", "*.txt");
  finder_.SetCallback(StopAtFirstFound, reinterpret_cast<FindUserValue>(&events_));
  EXPECT_EQ(finder_.Search(params), 1);
  EXPECT_THAT(events_, ElementsAre(Event{FIND_EVENT_FOLDER, "C:\\T\\s1\\inner\\"},
                                   Event{FIND_EVENT_FOUND, "C:\\T\\s1\\inner\\x.txt"},
                                   Event{FIND_EVENT_FOLDER, "C:\\T\\s1\\"},
                                   Event{FIND_EVENT_FOLDER, "C:\\T\\"}));
  // The next search starts afresh and adds to the list.
  events_.clear();
  finder_.SetCallback(RecordEvent, reinterpret_cast<FindUserValue>(&events_));
  CFileFinderParams again = Params("C:\\T", "*.txt");
  EXPECT_EQ(finder_.Search(again), 6);
}

TEST_F(FileFinderTest, ResultsGrowAcrossSearchesAndSplitBack) {
  M().WriteFile("C:\\R\\oem1.inf", "x");
  M().WriteFile("C:\\R\\.inf", "x");
  M().WriteFile("C:\\R\\a.b.inf.bak", "x");
  M().WriteFile("C:\\R\\NOEXT", "x");
  M().MakeFolder("C:\\R\\dir.inf");
  CFileFinderParams first = Params("C:\\R");
  EXPECT_EQ(finder_.Search(first), 5);
  CFileFinderParams second = Params("C:\\R", "*.inf");
  EXPECT_EQ(finder_.Search(second), 8);
  for (int i = 0; i < finder_.GetCount(); ++i)
    EXPECT_EQ(finder_.GetSplitPath(i).GetFullPath(), finder_.GetFilePath(i));
  EXPECT_STREQ(finder_.GetSplitPath(-1).GetFullPath(), "");
  EXPECT_STREQ(finder_.GetSplitPath(finder_.GetCount()).GetFullPath(), "");
  EXPECT_EQ(finder_.GetFilePath(finder_.GetCount()), "");
  finder_.ClearResults();
  EXPECT_EQ(finder_.GetCount(), 0);
  finder_.ClearResults();
  EXPECT_EQ(finder_.GetCount(), 0);
}

TEST_F(FileFinderTest, MissingFolderStillReportsItself) {
  CFileFinderParams params = Params("C:\\Nowhere");
  EXPECT_EQ(Run(params), 0);
  EXPECT_THAT(events_, ElementsAre(Event{FIND_EVENT_FOLDER, "C:\\Nowhere\\"}));
}

TEST_F(FileFinderTest, EmptyFolderSearchesTheCurrentDirectory) {
  M().WriteFile("E:\\setup.txt", "x");
  M().WriteFile("E:\\win2k&xp\\vyx.txt", "x");
  CFileFinderParams params = Params("", "*.txt");
  Run(params);
  EXPECT_THAT(Results(finder_), ElementsAre("E:\\win2k&xp\\vyx.txt", "E:\\setup.txt"));
}

TEST_F(FileFinderTest, LinkedFoldersAreListedButNeverEntered) {
  M().WriteFile("C:\\Outside\\victim.inf", "x");
  M().WriteFile("C:\\T\\own.inf", "x");
  fs::create_directory_symlink(M().HostPath("C:\\Outside"), M().HostPath("C:\\T") / "link");
  // A loop back to the folder itself.
  fs::create_directory_symlink(M().HostPath("C:\\T"), M().HostPath("C:\\T") / "loop");
  ASSERT_TRUE(M().Attributes("C:\\T\\link") & plat::kFileAttributeReparsePoint);
  CFileFinderParams params = Params("C:\\T");
  Run(params);
  EXPECT_THAT(Results(finder_), ElementsAre("C:\\T\\link\\", "C:\\T\\loop\\", "C:\\T\\own.inf"));
  EXPECT_THAT(events_, testing::Contains(Event{FIND_EVENT_FOLDER, "C:\\T\\"}));
  EXPECT_EQ(std::count_if(events_.begin(), events_.end(),
                          [](const Event& e) { return e.event == FIND_EVENT_FOLDER; }),
            1);
}

TEST_F(FileFinderTest, PathsBeyondMaxPathAreNeverFormed) {
  // C:\L\<50>\<50>\<50>\<50>\ is 209 characters; inside it a folder whose own path
  // fits and one whose path does not, and files on either side of the limit.
  std::string deep = "C:\\L";
  for (char c : {'a', 'b', 'c', 'd'}) deep += "\\" + std::string(50, c);
  deep += "\\";
  ASSERT_EQ(deep.size(), 209u);
  const std::string fitsName(49, 'f');         // 209 + 49 = 258, with its backslash 259
  const std::string tooLongName(50, 'g');      // 260 with its backslash
  const std::string fileFits(259 - 209, 'h');  // exactly 259
  const std::string fileTooLong(260 - 209, 'i');
  fs::path host = M().HostPath("C:\\L");
  for (char c : {'a', 'b', 'c', 'd'}) host /= std::string(50, c);
  fs::create_directories(host / fitsName);
  fs::create_directories(host / tooLongName);
  std::ofstream(host / fileFits) << "x";
  std::ofstream(host / fileTooLong) << "x";

  CFileFinderParams params = Params("C:\\L");
  Run(params);
  for (const std::string& path : Results(finder_)) EXPECT_LT(path.size(), 260u) << path;
  EXPECT_THAT(Results(finder_), testing::Contains(deep + fitsName + "\\"));
  EXPECT_THAT(Results(finder_), testing::Contains(deep + fileFits));
  EXPECT_THAT(events_, testing::Contains(Event{FIND_EVENT_FOLDER, deep + fitsName + "\\"}));
  for (const Event& e : events_) EXPECT_LT(e.subject.size(), 260u) << e.subject;
  // The two entries that do not fit are examined and rejected.
  std::vector<Event> deepEvents;
  bool inDeep = false;
  for (const Event& e : events_) {
    if (e.event == FIND_EVENT_FOLDER) inDeep = e.subject == deep;
    if (inDeep && e.event != FIND_EVENT_FOLDER) deepEvents.push_back(e);
  }
  EXPECT_EQ(std::count(deepEvents.begin(), deepEvents.end(), Event{FIND_EVENT_REJECTED, ""}), 2);
}

TEST_F(FileFinderTest, ContentsFilterRejectsFoldersAndUnreadableFiles) {
  M().WriteFile("C:\\C\\a.inf", "needs vyxuport.sys");
  M().WriteFile("C:\\C\\b.inf", "needs VYXUPORT.SYS too");
  M().WriteFile("C:\\C\\c.inf", "vyxuport.sys but unreadable");
  M().WriteFile("C:\\C\\d.inf", "nothing");
  M().WriteFile("C:\\C\\e.inf", "vyxuport.sys, cannot be opened");
  M().MakeFolder("C:\\C\\vyxuport.sys.inf");
  M().AddFault("ReadFile", "C:\\C\\c.inf", plat::kErrorInvalidData);
  M().AddFault("CreateFile", "C:\\C\\e.inf", plat::kErrorSharingViolation);
  CFileFinderParams params = Params("C:\\C", "*.inf");
  params.m_dwFlags = FIND_BY_CONTENTS;
  params.m_strText = "vyxuport.sys";
  Run(params);
  EXPECT_THAT(Results(finder_), ElementsAre("C:\\C\\a.inf", "C:\\C\\b.inf"));
  EXPECT_EQ(std::count_if(events_.begin(), events_.end(),
                          [](const Event& e) { return e.event == FIND_EVENT_REJECTED; }),
            4);
}

TEST_F(FileFinderTest, ProgressOfAFileComesBeforeItsVerdict) {
  // 2,900 bytes are 25 full blocks of 116 and an empty last one: two progress
  // events, then the verdict.
  M().WriteFile("C:\\P\\long.inf", std::string(2900, 'x'));
  M().WriteFile("C:\\P\\match.inf", std::string(1159, 'x') + "vyxuport.sys");
  CFileFinderParams params = Params("C:\\P", "*.inf", false);
  params.m_dwFlags = FIND_BY_CONTENTS;
  params.m_strText = "VyxUport.sys";
  Run(params);
  // The match ends at byte 1170, in the eleventh block: one progress event.
  EXPECT_THAT(events_, ElementsAre(Event{FIND_EVENT_FOLDER, "C:\\P\\"},
                                   Event{FIND_EVENT_PROGRESS, ""}, Event{FIND_EVENT_PROGRESS, ""},
                                   Event{FIND_EVENT_REJECTED, ""}, Event{FIND_EVENT_PROGRESS, ""},
                                   Event{FIND_EVENT_FOUND, "C:\\P\\match.inf"}));
}

}  // namespace

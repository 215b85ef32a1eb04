#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "filesearch/CFileFinder.h"
#include "filesearch/FinderMachine.h"

namespace {

// The contents filter done literally: blocks of max(128, 2n) bytes, n carried
// characters (n spaces before the first block, then the last n characters of the
// block before, NUL bytes removed), upper-cased, progress every ten blocks.
struct Outcome {
  bool found;
  int progress;
  bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
  return os << (o.found ? "found" : "not found") << ", " << o.progress << " progress events";
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

Outcome Reference(const std::string& file, const std::string& text) {
  const std::size_t n = text.size();
  const std::size_t readSize = std::max<std::size_t>(128, 2 * n) - n;
  const std::string wanted = Upper(text);
  std::string carry(n, ' ');
  std::size_t position = 0;
  int count = 0;
  int progress = 0;
  for (;;) {
    std::size_t r = std::min(readSize, file.size() - position);
    std::string block = carry + file.substr(position, r);
    position += r;
    block.erase(std::remove(block.begin(), block.end(), '\0'), block.end());
    block = Upper(block);
    bool found = block.find(wanted) != std::string::npos;
    if (++count == 10) {
      count = 0;
      ++progress;
    }
    if (found) return {true, progress};
    if (r < readSize) return {false, progress};
    carry = block.substr(block.size() - n);
  }
}

std::string Utf16(const std::string& text) {
  std::string wide;
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

void CountProgress(CFileFinder*, int event, FindUserValue userValue) {
  if (event == FIND_EVENT_PROGRESS) ++*reinterpret_cast<int*>(userValue);
}

class ContainsTextTest : public findtest::FinderMachineTest {
 protected:
  ContainsTextTest() {
    finder_.SetCallback(CountProgress, reinterpret_cast<FindUserValue>(&progress_));
  }

  Outcome Search(const std::string& contents, const char* text) {
    const std::string path = "C:\\D\\f" + std::to_string(files_++) + ".inf";
    M().WriteFile(path, contents);
    progress_ = 0;
    bool found = finder_.ContainsText(path.c_str(), text);
    return {found, progress_};
  }

  // Random letters that never spell the texts searched for.
  std::string Filler(std::size_t size, bool wide = false) {
    std::string text(size, 'a');
    std::uniform_int_distribution<int> letter('a', 'm');
    for (char& c : text) c = static_cast<char>(letter(random_));
    return wide ? Utf16(text).substr(0, size) : text;
  }

  CFileFinder finder_{Os()};
  int progress_ = 0;
  int files_ = 0;
  std::mt19937 random_{20240611};
};

constexpr const char* kDriver = "vyxuport.sys";

TEST_F(ContainsTextTest, NamedCases) {
  struct Case {
    std::string contents;
    const char* text;
  };
  const std::string filler = Filler(3000);
  const Case cases[] = {
      {"vyxuport.sys at the start", "  vyxuport.sys"},
      {"vyxuport.sys at the start", "   "},
      {"x" + filler, " x"},
      {"[Files]\r\nVyXuPoRt.SyS\r\n", kDriver},
      {filler + "VYXUPORT.SYS", kDriver},
      {"\xff\xfe" + Utf16("[Files]\r\nvyxuport.sys\r\n"), kDriver},
      {"vyxuport.sy", kDriver},
      {"", kDriver},
      {"", ""},
      {filler, ""},
      {filler, kDriver},
      {std::string(5000, '\0'), kDriver},
      // Bytes that differ from the text's only in the case bit, but are no letters.
      {"vyxuport\x0esys vyxuport.sy\x13 vyxuport.sYs", kDriver},
      {"vyxuport\x0esys vyxuport.sy\x13", kDriver},
      {"\xc9T\xc9 \xe9t\xe9", "\xe9T\xe9"},
      {"\xc9T\xc9", "\xe9t\xe9"},
      {std::string(5000, '\0') + "vyxuport.sys", kDriver},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Search(c.contents, c.text), Reference(c.contents, c.text))
        << "text \"" << c.text << "\" in " << c.contents.substr(0, 40);
  }
  EXPECT_TRUE(Search("vyxuport.sys", kDriver).found);
  EXPECT_TRUE(Search("", "").found);
  EXPECT_FALSE(Search("vyxuport.sys", nullptr).found);
}

TEST_F(ContainsTextTest, TextAcrossEveryBlockBoundary) {
  const std::string shortText = kDriver;  // blocks of 128, 116 bytes read each
  const std::string longText(100, 'q');   // blocks of 200, 100 read each
  for (const std::string& text : {shortText, longText}) {
    const std::size_t n = text.size();
    const std::size_t readSize = std::max<std::size_t>(128, 2 * n) - n;
    for (bool wide : {false, true}) {
      const std::string planted = wide ? Utf16(Upper(text)) : Upper(text);
      for (std::size_t block : {1u, 2u, 9u, 10u, 11u, 19u, 20u}) {
        const std::size_t step = n > 20 ? 7 : wide ? 3 : 1;
        for (std::size_t back = 0; back <= planted.size(); back += step) {
          std::size_t at = block * readSize - std::min(back, block * readSize);
          std::string contents = Filler(at, wide) + planted + Filler(3 * readSize, wide);
          Outcome outcome = Search(contents, text.c_str());
          EXPECT_TRUE(outcome.found)
              << "n " << n << " block " << block << " back " << back << (wide ? " UTF-16" : "");
          EXPECT_EQ(outcome, Reference(contents, text))
              << "n " << n << " block " << block << " back " << back << (wide ? " UTF-16" : "");
        }
      }
    }
  }
}

TEST_F(ContainsTextTest, TextAcrossTheSeamsOfLargeReads) {
  // Wherever the file is cut for reading, the result and the events stay those
  // of the blocks.
  for (std::size_t seam : {std::size_t{64} << 10, std::size_t{256} << 10}) {
    for (bool wide : {false, true}) {
      const std::string planted = wide ? Utf16(kDriver) : std::string(kDriver);
      for (std::size_t back : {0u, 1u, 6u, 11u, 12u, 13u, 23u, 24u}) {
        std::string contents = Filler(seam - back, wide) + planted + Filler(1000, wide);
        EXPECT_EQ(Search(contents, kDriver), Reference(contents, kDriver))
            << "seam " << seam << " back " << back << (wide ? " UTF-16" : "");
      }
    }
    std::string without = Filler(seam);
    EXPECT_EQ(Search(without, kDriver), Reference(without, kDriver)) << seam;
  }
}

TEST_F(ContainsTextTest, AgreesWithTheBlocksOnRandomFiles) {
  // Few letters, spaces and NUL bytes: partial matches, runs of NULs and matches
  // spread over NULs come up by themselves; some files get the text planted.
  const std::string alphabet = std::string("VYXUPORT.Svyxuport.s  ") + '\0' + '\0';
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  int found = 0;
  for (int round = 0; round < 80; ++round) {
    std::size_t size = percent(random_) < 10 ? 300000 + percent(random_) * 1000
                                             : static_cast<std::size_t>(percent(random_)) * 300;
    std::string contents(size, ' ');
    for (char& c : contents) c = alphabet[pick(random_)];
    std::string text;
    std::size_t length = static_cast<std::size_t>(percent(random_) % 4 == 0 ? 70 : 6);
    for (std::size_t i = 0; i < length; ++i) {
      char c = alphabet[pick(random_)];
      text += c == '\0' ? 'x' : c;
    }
    if (percent(random_) < 40 && size > 0) {
      std::string planted = percent(random_) < 50 ? Utf16(text) : text;
      contents.insert(std::uniform_int_distribution<std::size_t>(0, size)(random_), planted);
    }
    Outcome expected = Reference(contents, text);
    found += expected.found;
    EXPECT_EQ(Search(contents, text.c_str()), expected)
        << "round " << round << " size " << contents.size() << " text \"" << text << "\"";
  }
  EXPECT_GT(found, 10);
  EXPECT_LT(found, 75);
}

TEST_F(ContainsTextTest, UnreadableFilesDoNotMatch) {
  M().WriteFile("C:\\D\\broken.inf", Filler(200000) + kDriver);
  M().AddFault("ReadFile", "C:\\D\\broken.inf", plat::kErrorInvalidData);
  EXPECT_FALSE(finder_.ContainsText("C:\\D\\broken.inf", kDriver));
  M().WriteFile("C:\\D\\locked.inf", kDriver);
  M().AddFault("CreateFile", "C:\\D\\locked.inf", plat::kErrorSharingViolation);
  EXPECT_FALSE(finder_.ContainsText("C:\\D\\locked.inf", kDriver));
  EXPECT_FALSE(finder_.ContainsText("C:\\D\\missing.inf", kDriver));
  M().MakeFolder("C:\\D\\folder.inf");
  EXPECT_FALSE(finder_.ContainsText("C:\\D\\folder.inf", ""));
  // The finder goes on with the next file.
  EXPECT_TRUE(Search(kDriver, kDriver).found);
}

TEST_F(ContainsTextTest, ReadsInLargeChunks) {
  const std::string contents = Filler(1 << 20);
  M().WriteFile("C:\\D\\big.inf", contents);
  const std::size_t before = M().Calls().size();
  progress_ = 0;
  EXPECT_FALSE(finder_.ContainsText("C:\\D\\big.inf", kDriver));
  const auto& calls = M().Calls();
  long reads = std::count_if(calls.begin() + static_cast<long>(before), calls.end(),
                             [](const sim::CallRecord& c) { return c.operation == "ReadFile"; });
  EXPECT_LE(reads, (1 << 20) / (64 << 10) + 1);
  // Every tenth of the 9040 blocks of 116 bytes was reported all the same.
  EXPECT_EQ(progress_, Reference(contents, kDriver).progress);
  EXPECT_EQ(progress_, 904);
}

}  // namespace

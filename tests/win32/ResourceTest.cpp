// The resources compiled into Setup.exe, read back from the file: the dialog
// template, the string table, the icons and the version information.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "res/StringTable.h"
#include "win32/PeImage.h"
#include "win32/Win32Build.h"

namespace {

// Window and control styles by value.
constexpr std::uint32_t kWsPopup = 0x80000000u, kWsChild = 0x40000000u, kWsVisible = 0x10000000u;
constexpr std::uint32_t kWsCaption = 0x00C00000u, kWsSysMenu = 0x00080000u;
constexpr std::uint32_t kWsGroup = 0x00020000u, kWsTabStop = 0x00010000u;
constexpr std::uint32_t kDsModalFrame = 0x80, kDsSetFont = 0x40;
constexpr std::uint32_t kWsExAppWindow = 0x00040000u, kWsExDlgModalFrame = 0x1;
constexpr std::uint32_t kBsPushButton = 0, kBsDefPushButton = 1, kBsGroupBox = 7;
constexpr std::uint32_t kBsCenter = 0x300, kBsFlat = 0x8000;
constexpr std::uint32_t kSsCenter = 1, kSsIcon = 3;
constexpr std::uint16_t kButtonClass = 0x80, kStaticClass = 0x82;
constexpr std::uint32_t kNoId = 0xFFFFFFFFu;

pe::NameOrOrdinal Text(const char* text) { return {false, 0, text}; }
pe::NameOrOrdinal Ordinal(std::uint16_t value) { return {true, value, ""}; }

class SetupExeResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    if (!std::filesystem::exists(win32test::SetupExe())) {
      loadError_ = win32test::MissingBuildMessage(win32test::SetupExe());
      return;
    }
    image_ = pe::Image::Load(win32test::SetupExe(), &error);
    if (!image_) loadError_ = error;
  }
  void SetUp() override { ASSERT_TRUE(image_) << loadError_; }

  const pe::Bytes& Resource(std::uint16_t type, std::uint16_t name) {
    const pe::ResourceEntry* entry = image_->Find(type, name);
    static const pe::Bytes kNone;
    EXPECT_NE(entry, nullptr) << "resource type " << type << " name " << name << " missing";
    return entry != nullptr ? entry->data : kNone;
  }

  static inline std::optional<pe::Image> image_;
  static inline std::string loadError_;
};

TEST_F(SetupExeResources, HoldsOnlyTheProgramsResourcesInUsEnglish) {
  std::set<std::pair<int, int>> found;
  for (const pe::ResourceEntry& entry : image_->Resources()) {
    if (entry.type != pe::kRtIcon) found.insert({entry.type, entry.name});
    EXPECT_EQ(entry.language, 0x409) << "type " << entry.type << " name " << entry.name;
  }
  std::set<std::pair<int, int>> expected = {{pe::kRtDialog, 102},
                                            {pe::kRtString, 1},
                                            {pe::kRtGroupIcon, 128},
                                            {pe::kRtGroupIcon, 132},
                                            {pe::kRtVersion, 1}};
  EXPECT_EQ(found, expected);
}

TEST_F(SetupExeResources, StringTableHoldsTheSevenTextsExactly) {
  std::string error;
  auto strings = pe::ParseStringBlock(Resource(pe::kRtString, 1), &error);
  ASSERT_TRUE(strings) << error;
  for (int id = 0; id < 16; ++id) {
    std::string expected =
        id >= res::kFirstString && id <= res::kLastString ? res::kStrings[id] : "";
    EXPECT_EQ((*strings)[id], expected) << "string " << id;
  }
  // The texts that carry line breaks, quotes and trailing blanks, spot-checked
  // independently of the header.
  EXPECT_EQ((*strings)[2].substr(0, 62),
            "Driver for this device is already installed in this system! \n\n");
  EXPECT_EQ((*strings)[3].back(), ' ');
  EXPECT_EQ((*strings)[6].substr((*strings)[6].size() - 3), ".  ");
  EXPECT_NE((*strings)[1].find("\"Install\""), std::string::npos);
}

TEST_F(SetupExeResources, DialogTemplateFrame) {
  std::string error;
  auto dialog = pe::ParseDialogEx(Resource(pe::kRtDialog, 102), &error);
  ASSERT_TRUE(dialog) << error;
  EXPECT_EQ(dialog->title, "USB Compound Device Setup");
  EXPECT_EQ(dialog->x, 0);
  EXPECT_EQ(dialog->y, 0);
  EXPECT_EQ(dialog->cx, 284);
  EXPECT_EQ(dialog->cy, 103);
  EXPECT_EQ(dialog->style, kWsPopup | kWsVisible | kWsCaption | kDsModalFrame | kDsSetFont);
  EXPECT_EQ(dialog->style & kWsSysMenu, 0u) << "the window must have no close box";
  EXPECT_EQ(dialog->exStyle, kWsExAppWindow);
  EXPECT_EQ(dialog->pointSize, 8);
  EXPECT_EQ(dialog->typeface, "MS Sans Serif");
  EXPECT_EQ(dialog->italic, 0);
  EXPECT_EQ(dialog->menu, pe::NameOrOrdinal{});
  EXPECT_EQ(dialog->windowClass, pe::NameOrOrdinal{});
}

TEST_F(SetupExeResources, DialogTemplateControls) {
  struct Control {
    const char* what;
    std::uint32_t id;
    std::uint16_t windowClass;
    pe::NameOrOrdinal title;
    std::int16_t x, y, cx, cy;
    std::uint32_t style;
    std::uint32_t exStyle;
  };
  const Control expected[] = {
      {"Install button", 1, kButtonClass, Text("&Install"), 54, 72, 71, 18,
       kWsChild | kWsVisible | kWsTabStop | kBsDefPushButton, kWsExDlgModalFrame},
      {"hidden IDCANCEL button", 2, kButtonClass, Text("&Exit"), 86, 72, 71, 18,
       kWsChild | kWsTabStop | kBsPushButton, kWsExDlgModalFrame},
      {"group box", kNoId, kButtonClass, Text(""), 7, 2, 270, 95,
       kWsChild | kWsVisible | kBsGroupBox | kBsCenter | kBsFlat, 0},
      {"status text", 1000, kStaticClass, Text("Static"), 48, 15, 216, 43,
       kWsChild | kWsVisible | kWsGroup | kSsCenter, 0},
      {"Exit button", 1001, kButtonClass, Text("&Exit"), 157, 72, 71, 18,
       kWsChild | kWsVisible | kWsTabStop | kBsPushButton, kWsExDlgModalFrame},
      {"icon", kNoId, kStaticClass, Ordinal(132), 18, 15, 21, 20, kWsChild | kWsVisible | kSsIcon,
       0},
  };
  std::string error;
  auto dialog = pe::ParseDialogEx(Resource(pe::kRtDialog, 102), &error);
  ASSERT_TRUE(dialog) << error;
  ASSERT_EQ(dialog->items.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Control& want = expected[i];
    const pe::DialogItem& got = dialog->items[i];
    SCOPED_TRACE(want.what);
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.windowClass, Ordinal(want.windowClass));
    EXPECT_EQ(got.title, want.title) << "got \"" << got.title.name << "\" / " << got.title.ordinal;
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.style, want.style) << std::hex << got.style;
    EXPECT_EQ(got.exStyle, want.exStyle);
    EXPECT_EQ(got.helpId, 0u);
    EXPECT_EQ(got.extraCount, 0);
  }
}

TEST_F(SetupExeResources, IconsHoldTheirImages) {
  struct Image {
    int size, bits;
  };
  struct Group {
    std::uint16_t id;
    std::vector<Image> images;
  };
  const Group groups[] = {{128, {{32, 1}, {32, 4}}}, {132, {{32, 4}, {16, 4}}}};
  for (const Group& group : groups) {
    SCOPED_TRACE("icon " + std::to_string(group.id));
    std::string error;
    auto entries = pe::ParseIconGroup(Resource(pe::kRtGroupIcon, group.id), &error);
    ASSERT_TRUE(entries) << error;
    ASSERT_EQ(entries->size(), group.images.size());
    for (std::size_t i = 0; i < entries->size(); ++i) {
      const pe::IconGroupEntry& entry = (*entries)[i];
      const Image& want = group.images[i];
      EXPECT_EQ(entry.width, want.size);
      EXPECT_EQ(entry.height, want.size);
      EXPECT_EQ(entry.bitCount, want.bits);
      EXPECT_EQ(entry.colourCount, 1 << want.bits);
      const pe::Bytes& data = Resource(pe::kRtIcon, entry.iconId);
      EXPECT_EQ(data.size(), entry.bytes);
      auto header = pe::ParseIconImage(data, &error);
      ASSERT_TRUE(header) << error;
      EXPECT_EQ(header->width, want.size);
      EXPECT_EQ(header->height, 2 * want.size);  // the image and its mask
      EXPECT_EQ(header->bitCount, want.bits);
      // Header, palette, colour bits and mask rows, each row padded to 32 bits.
      std::size_t rowBytes = (want.size * want.bits + 31) / 32 * 4;
      std::size_t maskRow = (want.size + 31) / 32 * 4;
      EXPECT_EQ(data.size(), 40u + (4u << want.bits) + want.size * (rowBytes + maskRow));
    }
  }
}

TEST_F(SetupExeResources, VersionInformation) {
  std::string error;
  auto version = pe::ParseVersion(Resource(pe::kRtVersion, 1), &error);
  ASSERT_TRUE(version) << error;
  EXPECT_EQ(version->signature, 0xFEEF04BDu);
  EXPECT_EQ(version->fileVersionMs, 0x00010003u);  // 1.3
  EXPECT_EQ(version->fileVersionLs, 0x00000000u);  // .0.0
  EXPECT_EQ(version->productVersionMs, 0x00010003u);
  EXPECT_EQ(version->productVersionLs, 0x00000000u);
  EXPECT_EQ(version->fileOs, 0x4u);    // VOS__WINDOWS32
  EXPECT_EQ(version->fileType, 0x1u);  // VFT_APP
  EXPECT_EQ(version->stringTable, "040904B0");
  auto value = [&](const std::string& key) -> std::string {
    for (const auto& [name, text] : version->strings)
      if (name == key) return text;
    return "<missing>";
  };
  EXPECT_EQ(value("OriginalFilename"), "Setup.EXE");
  EXPECT_EQ(value("InternalName"), "ZorpSetup");
  EXPECT_EQ(value("ProductName"), "Zorp Setup Application");
  EXPECT_EQ(value("FileDescription"), "ZorpSetup MFC Application");
  EXPECT_EQ(value("Comments"), "USB compound device Setup application");
  EXPECT_EQ(value("FileVersion"), "1.3.0.0");
  EXPECT_EQ(value("ProductVersion"), "1.3.0.0");
  EXPECT_EQ(version->translations, std::vector<std::uint32_t>{0x04B00409u});
}

// The icon files in src/res are the generator's output, so the pictures can be
// changed only through it.
TEST(IconFiles, AreWhatTheGeneratorDraws) {
  std::filesystem::path source(SETUP_SOURCE_DIR);
  std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("setup-icons-" + std::to_string(::getpid()));
  std::filesystem::create_directories(out);
  int status = 0;
  std::string command = "python3 '" + (source / "tools/icons/make_icons.py").string() + "' '" +
                        out.string() + "' 2>&1";
  std::string output = win32test::RunCommand(command, &status);
  ASSERT_EQ(status, 0) << output;
  auto read = [](const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  for (const char* name : {"AppIcon.ico", "DialogIcon.ico"}) {
    std::string generated = read(out / name);
    EXPECT_FALSE(generated.empty()) << name;
    EXPECT_EQ(generated, read(source / "src/res" / name))
        << name << " differs from the generator's";
  }
  std::filesystem::remove_all(out);
}

}  // namespace

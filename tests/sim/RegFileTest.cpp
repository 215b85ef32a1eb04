#include <gtest/gtest.h>

#include "platform/sim/RegFile.h"

namespace sim {
namespace {

RegistryTree Read(std::string_view text) {
  RegistryTree tree;
  std::string error;
  EXPECT_TRUE(ReadRegFile(text, &tree, &error)) << error;
  return tree;
}

TEST(RegFile, ReadsEveryValueForm) {
  RegistryTree tree = Read(
      "REGEDIT4\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\A]\r\n"
      "@=\"default\"\r\n"
      "\"Path\"=\"C:\\\\WINDOWS \\\"x\\\"\"\r\n"
      "\"Count\"=dword:0000000a\r\n"
      "\"Bin\"=hex:01,02,\\\r\n"
      "  ff\r\n"
      "\"Multi\"=hex(7):61,00,00\r\n"
      "\"Unterminated\"=hex(1):61,62\r\n"
      "; a comment\r\n"
      "[HKEY_CURRENT_USER\\Empty]\r\n");
  RegNode* a = tree.Find("HKLM\\SOFTWARE\\a");  // names compare without regard to case
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Value("")->data, std::vector<std::uint8_t>({'d', 'e', 'f', 'a', 'u', 'l', 't', 0}));
  std::string path(a->Value("Path")->data.begin(), a->Value("Path")->data.end());
  EXPECT_EQ(path, std::string("C:\\WINDOWS \"x\"\0", 15));
  EXPECT_EQ(a->Value("Count")->type, plat::kRegDword);
  EXPECT_EQ(a->Value("Count")->data, std::vector<std::uint8_t>({10, 0, 0, 0}));
  EXPECT_EQ(a->Value("Bin")->data, std::vector<std::uint8_t>({1, 2, 0xff}));
  EXPECT_EQ(a->Value("Multi")->type, plat::kRegMultiSz);
  EXPECT_EQ(a->Value("Unterminated")->type, plat::kRegSz);
  EXPECT_EQ(a->Value("Unterminated")->data.size(), 2u);
  EXPECT_NE(tree.Find("HKCU\\Empty"), nullptr);
  // Parents of a listed key exist.
  EXPECT_NE(tree.Find("HKLM\\Software"), nullptr);
}

TEST(RegFile, MalformedTextNamesTheLine) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "registry.reg:1:"},
      {"REGEDIT5\r\n", "registry.reg:1:"},
      {"REGEDIT4\r\n\"a\"=\"b\"\r\n", "registry.reg:2: a value before any key"},
      {"REGEDIT4\r\n[HKEY_NOWHERE\\x]\r\n", "registry.reg:2: unknown root key"},
      {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\x]\r\n\"a\"=dword:xyz\r\n", "registry.reg:3:"},
      {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\x]\r\n\"a\"=\"open\r\n", "registry.reg:3: unterminated"},
      {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\x\r\n", "registry.reg:2:"},
      {"REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\x]\r\n\"a\"=hex:0g\r\n", "registry.reg:3:"},
  };
  for (const Case& c : cases) {
    RegistryTree tree;
    std::string error;
    EXPECT_FALSE(ReadRegFile(c.text, &tree, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave " << error;
  }
}

TEST(RegFile, RoundTripsEveryTypeAndByte) {
  RegistryTree tree;
  RegNode* key = tree.Create("HKLM\\System\\Odd \"Key\"");
  std::vector<std::uint8_t> all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
  key->SetValue("", {plat::kRegSz, {'x', 0}});
  key->SetValue("no zero", {plat::kRegSz, {'a', 'b', 'c', 'd'}});
  key->SetValue("embedded zero", {plat::kRegSz, {'a', 0, 'b', 0}});
  key->SetValue("control", {plat::kRegSz, {'a', '\n', 'b', 0}});
  key->SetValue("high", {plat::kRegSz, {0xE9, 0}});
  key->SetValue("empty sz", {plat::kRegSz, {}});
  key->SetValue("short dword", {plat::kRegDword, {1, 2}});
  key->SetValue("dword", {plat::kRegDword, {1, 2, 3, 4}});
  key->SetValue("bytes", {plat::kRegBinary, all});
  key->SetValue("empty binary", {plat::kRegBinary, {}});
  key->SetValue("big type", {0x12345, {9}});
  key->SetValue("quote\"back\\slash", {plat::kRegNone, {}});
  tree.Create("HKCU\\Leaf");

  std::string text = WriteRegFile(tree);
  RegistryTree back = Read(text);
  EXPECT_EQ(WriteRegFile(back), text);
  RegNode* again = back.Find("HKLM\\System\\Odd \"Key\"");
  ASSERT_NE(again, nullptr);
  ASSERT_EQ(again->values.size(), key->values.size());
  for (std::size_t i = 0; i < key->values.size(); ++i) {
    EXPECT_EQ(again->values[i].first, key->values[i].first);
    EXPECT_EQ(again->values[i].second.type, key->values[i].second.type) << key->values[i].first;
    EXPECT_EQ(again->values[i].second.data, key->values[i].second.data) << key->values[i].first;
  }
  EXPECT_NE(back.Find("HKCU\\Leaf"), nullptr);
}

TEST(RegFile, ReadsVersion5WithUtf16Text) {
  std::string utf8 =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"S\"=\"v\"\r\n"
      "\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : utf8) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  RegistryTree tree = Read(utf16);
  RegNode* key = tree.Find("HKLM\\K");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Value("S")->data, std::vector<std::uint8_t>({'v', 0}));
  EXPECT_EQ(key->Value("E")->data, std::vector<std::uint8_t>({'%', 'A', '%', 0}));
}

}  // namespace
}  // namespace sim

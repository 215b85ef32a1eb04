// Loading and saving machine folders.
#include <fstream>
#include <sstream>

#include "SimTestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void Put(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class MachineFolderTest : public simtest::MachineTest {};

const char* kIni =
    "[Windows]\r\nPlatform=2            ; NT\r\nMajor=5\r\nMinor=1\r\nExtendedVersionInfo=1\r\n"
    "WindowsFolder=C:\\WINDOWS\r\nSystemFolder=C:\\WINDOWS\\System32\r\nCurrentFolder=E:\\\r\n"
    "[Drives]\r\nC=drives\\C\r\nE=drives\\E\r\n"
    "[Attributes]\r\nC:\\WINDOWS\\inf\\oem3.inf=0x21\r\n"
    "[Faults]\r\nRegOpenKey HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports=5\r\n";

TEST_F(MachineFolderTest, LoadsTheDocumentedFormat) {
  fs::path dir = folder_ / "m";
  Put(dir / "machine.ini", kIni);
  Put(dir / "registry.reg",
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows "
      "NT\\CurrentVersion\\Ports]\r\n\"COM1:\"=\"\"\r\n");
  Put(dir / "drives/C/WINDOWS/inf/oem3.inf", "x");
  std::string error;
  auto m = sim::Machine::Load(dir, &error);
  ASSERT_TRUE(m) << error;
  EXPECT_EQ(m->Attributes("C:\\WINDOWS\\INF\\OEM3.INF"), 0x21u);
  plat::HKey key = 0;
  EXPECT_EQ(m->Os().registry.RegOpenKeyExA(plat::kHkeyLocalMachine,
                                           "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports",
                                           0, plat::kKeyRead, &key),
            5);
}

TEST_F(MachineFolderTest, BadFoldersAreRefusedAndLeftUntouched) {
  struct Case {
    const char* ini;
    const char* reg;
    const char* error;
  } cases[] = {
      {nullptr, "REGEDIT4\r\n", "machine.ini:"},
      {"[Windows]\r\nPlatform=two\r\n[Drives]\r\nC=c\r\n", "REGEDIT4\r\n", "machine.ini:2:"},
      {"[Windows]\r\nPlatform=2\r\n", "REGEDIT4\r\n", "machine.ini:"},
      {"[Windows]\r\n[Drives]\r\nC=..\\..\\elsewhere\r\n", "REGEDIT4\r\n", "machine.ini:"},
      {"[Windows]\r\n[Drives]\r\nC=c\r\n[Faults]\r\nnotarget=5\r\n", "REGEDIT4\r\n",
       "machine.ini:5:"},
      {"[Windows]\r\n[Drives]\r\nC=c\r\n", nullptr, "registry.reg:"},
      {"[Windows]\r\n[Drives]\r\nC=c\r\n", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\x]\r\nbad\r\n",
       "registry.reg:3:"},
  };
  int n = 0;
  for (const Case& c : cases) {
    fs::path dir = folder_ / ("bad" + std::to_string(++n));
    fs::create_directories(dir);
    if (c.ini) Put(dir / "machine.ini", c.ini);
    if (c.reg) Put(dir / "registry.reg", c.reg);
    std::string error;
    EXPECT_FALSE(sim::Machine::Load(dir, &error)) << n;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << n << ": " << error;
    std::size_t entries = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    EXPECT_EQ(entries, static_cast<std::size_t>((c.ini ? 1 : 0) + (c.reg ? 1 : 0))) << n;
  }
}

TEST_F(MachineFolderTest, UnchangedMachineIsNotRewrittenAndChangesRoundTrip) {
  fs::path dir = folder_ / "m";
  Put(dir / "machine.ini", kIni);
  std::string reg = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:1\n";
  Put(dir / "registry.reg", reg);
  Put(dir / "drives/C/WINDOWS/inf/oem3.inf", "x");
  std::string error;
  {
    auto m = sim::Machine::Load(dir, &error);
    ASSERT_TRUE(m) << error;
    ASSERT_TRUE(m->Save(&error));
  }
  EXPECT_EQ(Slurp(dir / "registry.reg"), reg);
  EXPECT_EQ(Slurp(dir / "machine.ini"), kIni);
  {
    auto m = sim::Machine::Load(dir, &error);
    plat::HKey key = 0;
    ASSERT_EQ(m->Os().registry.RegCreateKeyExA(plat::kHkeyLocalMachine, "A\\New", nullptr, 0,
                                               plat::kKeyAllAccess, &key, nullptr),
              0);
    plat::DWORD v = 7;
    m->Os().registry.RegSetValueExA(key, "v", plat::kRegDword, reinterpret_cast<plat::BYTE*>(&v),
                                    4);
    m->Os().registry.RegCloseKey(key);
    m->Os().files.SetFileAttributesA("C:\\WINDOWS\\inf\\oem3.inf", plat::kFileAttributeArchive);
    m->WriteFile("C:\\later.txt", "x");
    std::vector<sim::Change> changes = m->Changes();
    std::vector<std::string> seen;
    for (const auto& c : changes) seen.push_back(c.kind + " " + c.op + " " + c.path);
    EXPECT_EQ(seen, (std::vector<std::string>{"file changed C:\\WINDOWS\\inf\\oem3.inf",
                                              "key added HKLM\\A\\New",
                                              "value added HKLM\\A\\New\\[v]"}));
    ASSERT_TRUE(m->Save(&error));
  }
  auto again = sim::Machine::Load(dir, &error);
  ASSERT_TRUE(again) << error;
  ASSERT_TRUE(again->GetValue("HKLM\\A\\New", "v"));
  EXPECT_EQ(again->Attributes("C:\\WINDOWS\\inf\\oem3.inf"), 0x20u);
  EXPECT_NE(Slurp(dir / "machine.ini").find("[Faults]"), std::string::npos);
}

}  // namespace

// Bad input, case by case: folders too long for a path, settings files of any
// text, registry values of the wrong type or size wherever one is read, and INF
// folders that loop, hold a huge file or a great many files. Each case states
// the reaction it expects (result, boxes, what stays), and in every case the run
// changes nothing but the files and keys the setup names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "RunReport.h"
#include "SampleMachine.h"
#include "faults/ChangeAllowList.h"
#include "faults/FaultRules.h"

namespace {

namespace fs = std::filesystem;
namespace box = faults::box;

constexpr const char* kUsbNt =
    "HKLM\\System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}";
constexpr const char* kPortsNt =
    "HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E978-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kUsb9x = "HKLM\\System\\CurrentControlSet\\Services\\Class\\USB";
constexpr const char* kShellFolders =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kPrinters = "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers";
constexpr const char* kArbiter = "HKLM\\System\\CurrentControlSet\\Control\\COM Name Arbiter";
constexpr const char* kNtPorts = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr const char* kSerialNt =
    "HKLM\\System\\CurrentControlSet\\Enum\\QUORVEX\\USB_SERIAL_INTERFACE";
constexpr const char* kDesktopNt = "C:\\Documents and Settings\\User\\Desktop";
// Files in the crowded INF folder; every kNamedEvery-th names the port driver.
// 100,000 files: about 40 s under AddressSanitizer (BADINPUT_MANY_FILES=N
// sets another size).
const int kManyFiles =
    std::getenv("BADINPUT_MANY_FILES") ? std::atoi(std::getenv("BADINPUT_MANY_FILES")) : 100000;
constexpr int kNamedEvery = 1000;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }
std::vector<std::uint8_t> Sz(std::string_view text) {
  std::vector<std::uint8_t> b = Bytes(text);
  b.push_back(0);
  return b;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Replaces a folder prefix in a text, letters compared without case, where the
// prefix ends a name ("C:\WINDOWS" but not "C:\WINDOWSX").
std::string ReplaceFolder(const std::string& text, const std::string& from, const std::string& to) {
  std::string out;
  std::string upper = faults::Upper(text), key = faults::Upper(from);
  std::size_t at = 0;
  for (std::size_t hit; (hit = upper.find(key, at)) != std::string::npos; at = hit + key.size()) {
    std::size_t after = hit + key.size();
    bool ends = after == text.size() ||
                !(std::isalnum(static_cast<unsigned char>(text[after])) || text[after] == '_');
    out += text.substr(at, hit - at) + (ends ? to : text.substr(hit, key.size()));
  }
  return out + text.substr(at);
}

std::string Escaped(const std::string& path) {
  std::string out;
  for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

// A folder below root whose path is `length` characters long, cut into names
// of at most 40 characters.
std::string LongFolder(const std::string& root, std::size_t length, char letter) {
  std::string path = root;
  while (path.size() < length) {
    std::size_t room = length - path.size() - 1;
    path += "\\" + std::string(std::min<std::size_t>(40, std::max<std::size_t>(room, 1)), letter);
  }
  return path.substr(0, length);
}

class Bench {
 public:
  explicit Bench(const fs::path& dir) : dir_(dir) {}
  const fs::path& Dir() const { return dir_; }
  fs::path Host(const std::string& windowsPath) const {
    std::string rest = windowsPath.substr(3);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return dir_ / "drives" / std::string(1, static_cast<char>(std::toupper(windowsPath[0]))) / rest;
  }
  // Moves a folder of drive C or E elsewhere on its drive, with every mention of
  // it in machine.ini and the registry.
  void Relocate(const std::string& from, const std::string& to) {
    fs::path a = Host(from), b = Host(to);
    fs::path staging = dir_ / "relocating";
    fs::rename(a, staging);
    fs::create_directories(b.parent_path());
    fs::rename(staging, b);
    WriteText(dir_ / "machine.ini", ReplaceFolder(ReadText(dir_ / "machine.ini"), from, to));
    WriteText(dir_ / "registry.reg",
              ReplaceFolder(ReadText(dir_ / "registry.reg"), Escaped(from), Escaped(to)));
  }
  // The medium, which fills drive E, into a folder of that drive.
  void MoveMedium(const std::string& to) {
    fs::path e = dir_ / "drives" / "E", staging = dir_ / "medium";
    fs::rename(e, staging);
    fs::create_directories(Host(to).parent_path());
    fs::rename(staging, Host(to));
    std::string ini = ReadText(dir_ / "machine.ini");
    std::size_t at = ini.find("CurrentFolder=");
    std::size_t end = ini.find_first_of("\r\n", at);
    WriteText(dir_ / "machine.ini", ini.substr(0, at) + "CurrentFolder=" + to + ini.substr(end));
  }

 private:
  fs::path dir_;
};

struct Case {
  const char* name;
  const char* os;
  bool earlier;
  // Before the machine is loaded: its folder (relocations, links, huge files).
  std::function<void(Bench&)> onDisk;
  // Then through the machine's setters.
  std::function<void(sim::Machine&)> setUp;
  std::optional<int> result;       // nullopt: the dialog shows no result
  std::vector<std::string> boxes;  // every box but the question, in order
  std::function<void(const sim::Machine& after, const setupsim::RunOutcome&)> check = {};
  double seconds = 60;  // the run's time limit
};

// The medium without Config.ini: the 98/Me deployment stops on it with a box, so
// the DisplayError setting shows.
void WithSettings(sim::Machine& m, const std::string& text) {
  fs::remove(m.HostPath("E:\\win98&me\\Config.ini"));
  fs::remove(m.HostPath("E:\\win98&me\\ZorpInputs.ini"));
  m.WriteFile("E:\\win98&me\\ZorpInputs.ini", text);
}

Case SettingsCase(const char* name, std::string text, bool boxShown) {
  return Case{name,
              "98",
              false,
              {},
              [text](sim::Machine& m) { WithSettings(m, text); },
              0,
              boxShown ? std::vector<std::string>{box::kAppCopy} : std::vector<std::string>{}};
}

void ExpectFile(const sim::Machine& m, const std::string& path, bool exists) {
  EXPECT_EQ(m.FileExists(path), exists) << path;
}

std::optional<std::uint32_t> DwordOf(const sim::Machine& m, const std::string& key,
                                     const char* name) {
  auto v = m.GetValue(key, name);
  if (!v || v->data.size() != 4) return std::nullopt;
  return static_cast<std::uint32_t>(v->data[0] | v->data[1] << 8 | v->data[2] << 16 |
                                    v->data[3] << 24);
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  const std::string longWindows = LongFolder("C:", 240, 'w') + "\\WINDOWS";  // 248 characters
  // Long enough to keep every file of the 2000/XP set out of System32, short
  // enough for the oemN.inf names of the INF folder.
  const std::string longWindowsXp = LongFolder("C:", 234, 'w') + "\\WINDOWS";  // 242 characters

  // ---- Paths that would pass 259 characters ----
  cases.push_back({"CurrentDirectoryTooDeepForThePackage",
                   "98",
                   false,
                   [](Bench& b) { b.MoveMedium(LongFolder("E:", 240, 'm')); },
                   {},
                   0,
                   {box::kIncomplete},
                   [](const sim::Machine& m, const setupsim::RunOutcome&) {
                     // The uninstaller fits and is staged; no package file is taken from a cut
                     // path.
                     ExpectFile(m, "C:\\VyxUZorp\\VyxUnst.exe", true);
                     EXPECT_TRUE(m.ListTree("C:\\VyxUZorp\\win98&me").empty());
                   }});
  cases.push_back({"CurrentDirectoryPastMaxPath",
                   "xp",
                   false,
                   [](Bench& b) { b.MoveMedium(LongFolder("E:", 300, 'm')); },
                   {},
                   0,
                   {},
                   [](const sim::Machine& m, const setupsim::RunOutcome&) {
                     // Nothing is staged from the root of the drive instead.
                     ExpectFile(m, "C:\\VyxUZorp\\VyxUnst.exe", false);
                   }});
  cases.push_back({"WindowsFolderTooDeepForItsFiles98",
                   "98",
                   false,
                   [longWindows](Bench& b) { b.Relocate("C:\\WINDOWS", longWindows); },
                   {},
                   0,
                   {box::kInfCopy},
                   [](const sim::Machine& m, const setupsim::RunOutcome&) {
                     ExpectFile(m, "C:\\VyxUZorp\\win98&me\\vyxUsbSr.inf",
                                true);  // staging is on the drive's root
                   }});
  cases.push_back(
      {"WindowsFolderTooDeepForItsFilesXp",
       "xp",
       true,
       [longWindowsXp](Bench& b) { b.Relocate("C:\\WINDOWS", longWindowsXp); },
       {},
       1,
       {box::kAppCopy, box::kNoLink, box::kAppCopy, box::kAppCopy, box::kNoLink, box::kNoLink},
       [longWindowsXp](const sim::Machine& m, const setupsim::RunOutcome&) {
         // Paths that do not fit are never cut into others: the files they would
         // name stay, and no other maker's INF goes.
         ExpectFile(m, longWindowsXp + "\\inf\\oem1.inf", true);
         ExpectFile(m, longWindowsXp + "\\inf\\oem2.inf", true);
         ExpectFile(m, longWindowsXp + "\\inf\\oem7.inf", false);  // found by contents
         // A path the removal cannot form names nothing it deletes.
         ExpectFile(m, longWindowsXp + "\\system32\\SerialMP.exe", true);
       }});
  // An INF folder too deep for the Setup API to record the INF files in.
  cases.push_back({"WindowsFolderTooDeepForTheInfStore",
                   "xp",
                   false,
                   [longWindows](Bench& b) { b.Relocate("C:\\WINDOWS", longWindows); },
                   {},
                   0,
                   {box::kCompInf}});
  cases.push_back(
      {"WindowsFolderPastMaxPath",
       "xp",
       false,
       [](Bench& b) { b.Relocate("C:\\WINDOWS", LongFolder("C:", 290, 'w') + "\\WINDOWS"); },
       {},
       0,
       {box::kCreateFolder}});

  // ---- The settings file ----
  cases.push_back(SettingsCase("SettingsGarbage",
                               std::string("\x01\xff[Disp\0layError]\x80=\n\n\r==", 20), true));
  cases.push_back(SettingsCase("SettingsZero", "[DisplayError]\r\nDisplay=0\r\n", false));
  cases.push_back(SettingsCase("SettingsNegative", "[DisplayError]\r\nDisplay=-1\r\n", true));
  cases.push_back(
      SettingsCase("SettingsHuge", "[DisplayError]\r\nDisplay=99999999999999999999\r\n", true));
  // Windows' number rules wrap at 32 bits: 2^32 reads as 0.
  cases.push_back(
      SettingsCase("SettingsWrapsToZero", "[DisplayError]\r\nDisplay=4294967296\r\n", false));
  cases.push_back(SettingsCase("SettingsHex", "[DisplayError]\r\nDisplay=0x10\r\n", true));
  cases.push_back(SettingsCase("SettingsLetters", "[DisplayError]\r\nDisplay=abc\r\n", false));
  cases.push_back(SettingsCase("SettingsEmptyValue", "[DisplayError]\r\nDisplay=\r\n", false));
  cases.push_back(SettingsCase("SettingsOtherSection", "[Other]\r\nDisplay=0\r\n", true));
  cases.push_back(SettingsCase("SettingsAfterAMegabyte",
                               std::string(1 << 20, 'x') + "\r\n[DisplayError]\r\nDisplay=0",
                               false));
  cases.push_back({"SettingsFileIsAFolder",
                   "98",
                   false,
                   {},
                   [](sim::Machine& m) {
                     WithSettings(m, "");
                     fs::remove(m.HostPath("E:\\win98&me\\ZorpInputs.ini"));
                     m.MakeFolder("E:\\win98&me\\ZorpInputs.ini");
                   },
                   0,
                   {box::kAppCopy}});

  // ---- Registry values of the wrong type or size ----
  // Detection: the question shows exactly when a description counts.
  struct Description {
    const char* name;
    plat::DWORD type;
    std::vector<std::uint8_t> data;
    bool detected;
  };
  std::string longText = "QuorVex USB Compound Device" + std::string(300, '!');
  for (const Description& d : std::vector<Description>{
           {"DescriptionAsDword", plat::kRegDword, {0x75, 0x73, 0x62, 0x20}, false},
           {"DescriptionAsBinaryWithoutZero", plat::kRegBinary,
            Bytes("QuorVex USB Compound Device"), true},
           {"DescriptionExactlyTheTextWithoutZero", plat::kRegSz, Bytes("usb compound device"),
            true},
           {"DescriptionAsMultiString", 7, Bytes(std::string("usb compound device\0x\0\0", 23)),
            true},
           {"DescriptionLongerThanTheBuffer", plat::kRegSz, Sz(longText), false},
           {"DescriptionShorterThanTheText", plat::kRegSz, Sz("USB Compound"), false},
           {"DescriptionEmpty", plat::kRegSz, {}, false},
       }) {
    cases.push_back({d.name,
                     "xp",
                     false,
                     {},
                     [d](sim::Machine& m) {
                       m.SetValue(std::string(kUsbNt) + "\\0007", "DriverDesc", d.type, d.data);
                     },
                     1,
                     {},
                     [d](const sim::Machine&, const setupsim::RunOutcome& o) {
                       bool asked = std::any_of(o.boxes.begin(), o.boxes.end(),
                                                [](const sim::MessageBoxRecord& b) {
                                                  return b.caption == "UsbZorp Installer";
                                                });
                       EXPECT_EQ(asked, d.detected);
                       EXPECT_EQ(o.rebootNeeded, d.detected);
                     }});
  }

  // The class keys of the removal.
  cases.push_back({"ClassValuesOfOtherTypes",
                   "xp",
                   true,
                   {},
                   [](sim::Machine& m) {
                     std::string ports = kPortsNt;
                     // "quor" as a DWORD is 4 bytes: too short to count.
                     m.SetValue(ports + "\\0010", "ProviderName", plat::kRegDword, Bytes("quor"));
                     // The whole "InfPath" without its zero still names the port driver's INF.
                     m.SetValue(ports + "\\0011", "InfPath", plat::kRegBinary,
                                Bytes("VyxUPort.inf"));
                     // Past the buffer: not read at all.
                     m.SetValue(ports + "\\0012", "MatchingDeviceId", plat::kRegSz,
                                Sz("quorvex\\usb_serial_interface" + std::string(300, 'x')));
                     // An "InfPath" that leads out of the INF folder is not followed.
                     m.SetString(ports + "\\0013", "ProviderName", "QuorVex");
                     m.SetString(ports + "\\0013", "InfPath", "..\\system32\\victim.inf");
                     m.WriteFile("C:\\WINDOWS\\system32\\victim.inf", "[Version]");
                     m.WriteFile("C:\\WINDOWS\\system32\\victim.PNF", "PNF");
                     m.SetValue(std::string(kUsbNt) + "\\0010", "NTMPDriver", 7,
                                Bytes(std::string("vyxuport.sys\0\0", 14)));
                   },
                   1,
                   {},
                   [](const sim::Machine& m, const setupsim::RunOutcome&) {
                     std::string ports = kPortsNt;
                     EXPECT_TRUE(m.KeyExists(ports + "\\0010"));
                     EXPECT_FALSE(m.KeyExists(ports + "\\0011"));
                     EXPECT_TRUE(m.KeyExists(ports + "\\0012"));
                     EXPECT_FALSE(m.KeyExists(ports + "\\0013"));
                     EXPECT_FALSE(m.KeyExists(std::string(kUsbNt) + "\\0010"));
                     ExpectFile(m, "C:\\WINDOWS\\system32\\victim.inf", true);
                     ExpectFile(m, "C:\\WINDOWS\\system32\\victim.PNF", true);
                   }});

  // The Desktop folder, read by the shortcuts and by the removal.
  struct Desktop {
    const char* name;
    plat::DWORD type;
    std::vector<std::uint8_t> data;
    bool links;
    std::vector<std::string> boxes;
  };
  for (const Desktop& d : std::vector<Desktop>{
           {"DesktopAsDword", plat::kRegDword, {1, 0, 0, 0}, false, {}},
           {"DesktopEmpty", plat::kRegSz, Sz(""), false, {}},
           {"DesktopWithoutZero", plat::kRegSz, Bytes(kDesktopNt), true, {}},
           {"DesktopUnexpanded", 2, Sz("%USERPROFILE%\\Desktop"), false, {}},
           {"DesktopLongerThanTheBuffer",
            plat::kRegSz,
            Sz(LongFolder("C:", 300, 'd')),
            false,
            {box::kNoLink, box::kNoLink, box::kNoLink}},
       }) {
    cases.push_back({d.name,
                     "xp",
                     true,
                     {},
                     [d](sim::Machine& m) {
                       m.SetValue(kShellFolders, "Desktop", d.type, d.data);
                       // What a link path without its folder would name: the roots.
                       for (const char* root : {"C:\\", "E:\\"})
                         m.WriteFile(std::string(root) + "CONFIG.lnk", "link");
                     },
                     1,
                     d.boxes,
                     [d](const sim::Machine& m, const setupsim::RunOutcome& o) {
                       // Without a Desktop folder the earlier links stay and no new ones are made.
                       bool touched = std::any_of(o.changes.begin(), o.changes.end(),
                                                  [](const sim::Change& c) {
                                                    return faults::IsUnder(c.path, kDesktopNt);
                                                  });
                       EXPECT_EQ(touched, d.links);
                       ExpectFile(m, std::string(kDesktopNt) + "\\CONFIG.LNK", true);
                       ExpectFile(m, "C:\\CONFIG.lnk", true);
                       ExpectFile(m, "E:\\CONFIG.lnk", true);
                       ExpectFile(m, "C:\\CONFIG.LNK", true);
                     }});
  }

  // Printers whose "Attributes" is no 4-byte REG_DWORD are left as they are.
  cases.push_back(
      {"PrinterAttributesOfOtherTypes",
       "98",
       false,
       {},
       [](sim::Machine& m) {
         std::string p = kPrinters;
         m.SetValue(p + "\\Text", "Attributes", plat::kRegSz, Sz("2624"));
         m.SetValue(p + "\\Short", "Attributes", plat::kRegBinary, {0x40, 0x0A});
         m.SetValue(p + "\\Wide", "Attributes", 11 /* QWORD */, {0x40, 0x0A, 0, 0, 0, 0, 0, 0});
         m.SetValue(p + "\\BinaryDword", "Attributes", plat::kRegBinary, {0x40, 0x0A, 0, 0});
         m.CreateKey(p + "\\Missing");
         m.SetDword(p + "\\AllBits", "Attributes", 0xFFFFFFFF);
       },
       1,
       {},
       [](const sim::Machine& m, const setupsim::RunOutcome&) {
         std::string p = kPrinters;
         EXPECT_EQ(m.GetValue(p + "\\Text", "Attributes")->data, Sz("2624"));
         EXPECT_EQ(m.GetValue(p + "\\Short", "Attributes")->data,
                   (std::vector<std::uint8_t>{0x40, 0x0A}));
         EXPECT_EQ(m.GetValue(p + "\\Wide", "Attributes")->data.size(), 8u);
         EXPECT_EQ(m.GetValue(p + "\\BinaryDword", "Attributes")->type, plat::kRegBinary);
         EXPECT_FALSE(m.GetValue(p + "\\Missing", "Attributes").has_value());
         EXPECT_EQ(DwordOf(m, p + "\\AllBits", "Attributes"), 0xFFFFF7FFu);
         EXPECT_EQ(DwordOf(m, p + "\\HP LaserJet 4", "Attributes"), 0x240u);
       }});

  // Port names: only a text "COM" with a number from 1 to 256 releases a port.
  cases.push_back(
      {"PortNamesOfEveryKind",
       "xp",
       true,
       {},
       [](sim::Machine& m) {
         struct Port {
           const char* instance;
           plat::DWORD type;
           std::vector<std::uint8_t> data;
         } ports[] = {
             {"a7", plat::kRegBinary, Bytes("COM7")},     // 4 bytes, no zero: port 7
             {"a9", plat::kRegSz, Sz("COM 9")},           // blanks before the number: 9
             {"a10", plat::kRegSz, Sz("COM+10:")},        // a sign, then a colon: 10
             {"big", plat::kRegSz, Sz("COM4294967300")},  // would wrap to 4
             {"huge", plat::kRegSz, Sz("COM99999999999999999999")},
             {"lower", plat::kRegSz, Sz("com8")},
             {"zero", plat::kRegSz, Sz("COM0")},
             {"over", plat::kRegSz, Sz("COM257")},
             {"neg", plat::kRegSz, Sz("COM-4")},
             {"long", plat::kRegSz, Sz("COM11" + std::string(300, ' '))},
             {"short", plat::kRegSz, Bytes("COM")},
             {"dword", plat::kRegDword, {12, 0, 0, 0}},
         };
         for (const Port& p : ports)
           m.SetValue(std::string(kSerialNt) + "\\" + p.instance + "\\Device Parameters",
                      "PortName", p.type, p.data);
         for (const char* name : {"COM7:", "COM9:", "COM10:", "COM8:", "COM11:", "COM12:"})
           m.SetString(kNtPorts, name, "9600,n,8,1");
         std::vector<std::uint8_t> bits(32, 0);
         for (unsigned port : {1u, 3u, 4u, 5u, 7u, 8u, 9u, 10u, 11u, 12u})
           bits[(port - 1) / 8] |= static_cast<std::uint8_t>(1u << ((port - 1) % 8));
         m.SetValue(kArbiter, "ComDB", plat::kRegBinary, bits);
       },
       1,
       {},
       [](const sim::Machine& m, const setupsim::RunOutcome&) {
         for (const char* gone : {"COM3:", "COM5:", "COM7:", "COM9:", "COM10:"})
           EXPECT_FALSE(m.GetValue(kNtPorts, gone).has_value()) << gone;
         for (const char* kept : {"COM1:", "COM4:", "COM8:", "COM11:", "COM12:"})
           EXPECT_TRUE(m.GetValue(kNtPorts, kept).has_value()) << kept;
         auto db = m.GetValue(kArbiter, "ComDB");
         ASSERT_TRUE(db && db->data.size() == 32);
         // Kept: 1, 4, 8, 11, 12.
         EXPECT_EQ(db->data[0], 0x89);
         EXPECT_EQ(db->data[1], 0x0C);
       }});

  // The COM database itself.
  struct ComDb {
    const char* name;
    plat::DWORD type;
    std::vector<std::uint8_t> data;
    plat::DWORD mergeType;  // kRegNone: no merge value
    std::vector<std::uint8_t> merge;
    std::vector<std::uint8_t> after;
  };
  std::vector<std::uint8_t> taken(32, 0);
  taken[0] = 0x1D;  // 1, 3, 4, 5
  std::vector<std::uint8_t> released(32, 0);
  released[0] = 0x09;  // 1, 4
  std::vector<std::uint8_t> longDb = taken;
  longDb.resize(40, 0xFF);
  std::vector<std::uint8_t> keptThree(32, 0);
  keptThree[0] = 0x0D;  // 1, 3, 4: port 3 is protected by the merge value
  const plat::DWORD none = plat::kRegNone, bin = plat::kRegBinary;
  for (const ComDb& c : std::vector<ComDb>{
           {"ComDbAsText", plat::kRegSz, taken, none, {}, taken},
           {"ComDbLongerThan32Bytes", bin, longDb, none, {}, longDb},
           {"ComDbShorterThan32Bytes", bin, {0x1D, 0x00}, none, {}, released},
           {"ComDbEmpty", bin, {}, none, {}, {}},
           // A merge value that cannot be read protects nothing.
           {"ComDbMergeLongerThan32Bytes", bin, taken, bin, std::vector<std::uint8_t>(40, 0xFF),
            released},
           // Its type is not looked at: its bits protect their ports.
           {"ComDbMergeAsText", bin, taken, plat::kRegSz, Sz("\x04"), keptThree},
       }) {
    cases.push_back({c.name,
                     "xp",
                     true,
                     {},
                     [c](sim::Machine& m) {
                       m.SetValue(kArbiter, "ComDB", c.type, c.data);
                       if (c.mergeType != plat::kRegNone)
                         m.SetValue(kArbiter, "ComDB Merge", c.mergeType, c.merge);
                     },
                     1,
                     {},
                     [c](const sim::Machine& m, const setupsim::RunOutcome&) {
                       auto db = m.GetValue(kArbiter, "ComDB");
                       ASSERT_TRUE(db.has_value());
                       EXPECT_EQ(db->data, c.after);
                     }});
  }

  // ---- The INF folder ----
  cases.push_back(
      {"InfFolderWithALinkLoop",
       "xp",
       true,
       [](Bench& b) {
         fs::create_directory_symlink(b.Host("C:\\WINDOWS\\inf"), b.Host("C:\\WINDOWS\\inf\\loop"));
         fs::create_directory_symlink(b.Host("C:\\WINDOWS"), b.Host("C:\\WINDOWS\\inf\\up"));
       },
       {},
       1,
       {},
       [](const sim::Machine& m, const setupsim::RunOutcome&) {
         ExpectFile(m, "C:\\WINDOWS\\inf\\oem7.inf", false);  // found by contents
         ExpectFile(m, "C:\\WINDOWS\\inf\\oem1.inf", true);
         EXPECT_TRUE(fs::is_symlink(m.HostPath("C:\\WINDOWS\\inf\\loop")));
       },
       60});
  for (bool named : {false, true}) {
    cases.push_back({named ? "InfFileOfAGigabyteNamingTheDriver" : "InfFileOfAGigabyte",
                     "xp",
                     true,
                     [named](Bench& b) {
                       fs::path huge = b.Host("C:\\WINDOWS\\inf\\huge.inf");
                       { std::ofstream(huge, std::ios::binary); }
                       fs::resize_file(huge,
                                       std::uintmax_t{1} << 30);  // sparse: no gigabyte is written
                       if (named) {
                         std::fstream f(huge, std::ios::binary | std::ios::in | std::ios::out);
                         f.seekp((std::streamoff{1} << 30) - 12);
                         f << "vyxuport.sys";
                       }
                     },
                     {},
                     1,
                     {},
                     [named](const sim::Machine& m, const setupsim::RunOutcome&) {
                       ExpectFile(m, "C:\\WINDOWS\\inf\\huge.inf", !named);
                       ExpectFile(m, "C:\\WINDOWS\\inf\\oem7.inf", false);
                     },
                     120});
  }
  cases.push_back({"InfFolderOfManyFiles",
                   "xp",
                   true,
                   [](Bench& b) {
                     fs::path inf = b.Host("C:\\WINDOWS\\inf");
                     char name[32];
                     for (int i = 0; i < kManyFiles; ++i) {
                       // Half are INF files; the ones that name the port driver are INF files.
                       std::snprintf(name, sizeof name, "many%06d.%s", i, i % 2 ? "PNF" : "inf");
                       std::ofstream(inf / name, std::ios::binary)
                           << (i % kNamedEvery == 0 ? "vyxuport.sys" : "x");
                     }
                   },
                   {},
                   1,
                   {},
                   [](const sim::Machine& m, const setupsim::RunOutcome&) {
                     std::size_t inf = 0, pnf = 0, named = 0;
                     for (const auto& entry :
                          fs::directory_iterator(m.HostPath("C:\\WINDOWS\\inf"))) {
                       std::string n = entry.path().filename().string();
                       if (n.rfind("many", 0) != 0) continue;
                       (n.ends_with(".inf") ? inf : pnf)++;
                       named += std::stoi(n.substr(4, 6)) % kNamedEvery == 0;
                     }
                     // The INF files that name the driver go; the others and every PNF file stay.
                     int gone = (kManyFiles + kNamedEvery - 1) / kNamedEvery;
                     EXPECT_EQ(pnf, static_cast<std::size_t>(kManyFiles / 2));
                     EXPECT_EQ(inf, static_cast<std::size_t>((kManyFiles + 1) / 2 - gone));
                     EXPECT_EQ(named, 0u);
                   },
                   240});
  return cases;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BadInput : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("bad-input-" + std::to_string(::getpid()) + "-" + GetParam().name);
    fs::remove_all(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path dir_;
};

TEST_P(BadInput, ReactsAsExpectedAndLosesNothing) {
  const Case& c = GetParam();
  setupsim::InitOptions init;
  init.os = c.os;
  init.earlierInstallation = c.earlier;
  std::string error;
  ASSERT_TRUE(setupsim::WriteSampleMachine(dir_, init, &error)) << error;
  Bench bench(dir_);
  if (c.onDisk) c.onDisk(bench);
  if (c.setUp) {
    auto m = sim::Machine::Load(dir_, &error);
    ASSERT_NE(m, nullptr) << error;
    c.setUp(*m);
    ASSERT_TRUE(m->Save(&error)) << error;
  }
  auto before = sim::Machine::Load(dir_, &error);
  ASSERT_NE(before, nullptr) << error;
  bool nt = before->Config().IsNt() && before->Config().major == 5;
  faults::ChangeAllowList allow(*before, nt);
  auto machine = sim::Machine::Load(dir_, &error);
  ASSERT_NE(machine, nullptr) << error;

  auto started = std::chrono::steady_clock::now();
  setupsim::RunOutcome outcome = setupsim::RunSetup(*machine, {});
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("bad input %s: %s in %.2f s\n", c.name,
              outcome.result ? ("result " + std::to_string(*outcome.result)).c_str() : "no result",
              seconds);
  EXPECT_LT(seconds, c.seconds);

  EXPECT_EQ(outcome.result, c.result);
  std::vector<std::string> boxes;
  for (const sim::MessageBoxRecord& b : outcome.boxes) {
    std::string label = faults::LabelOf(b, "Setup");
    if (label == box::kQuestion) continue;
    boxes.push_back(label.empty() ? "unknown box: " + b.caption + ": " + b.text : label);
  }
  EXPECT_EQ(boxes, c.boxes);
  for (const sim::Change& change : outcome.changes) {
    std::string why = allow.Check(change, *machine);
    EXPECT_EQ(why, "") << change.kind << " " << change.op << " " << change.path << " "
                       << change.detail;
  }
  if (c.check) c.check(*machine, outcome);
}

INSTANTIATE_TEST_SUITE_P(Table, BadInput, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

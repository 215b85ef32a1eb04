// The tests the setup applies to registry values, over values of any type and
// length, with and without terminating zeros: detection of an installed driver,
// the INF files the 2000/XP removal reads from the class keys, and the class-key
// sweeps. Each outcome must be what the rules give (faults/ReferenceRules.h).
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "FuzzMachine.h"
#include "app/CSetupApp.h"
#include "faults/ReferenceRules.h"
#include "install/CDriverInstaller.h"
#include "remove/CDriverRemover.h"

namespace {

const char* const kValueNames[] = {"ProviderName",     "DriverDesc", "InfPath",   "InfSection",
                                   "MatchingDeviceId", "PortDriver", "NTMPDriver"};
// Texts near what the tests look for, so that inputs reach both sides of each test.
const char* const kTexts[] = {"quorvex",
                              "QuorVex USB Compound Device",
                              "TARVI usb compound device",
                              "USB Compound Device (2 ports)",
                              "usb compound",
                              "vyxuport.inf",
                              "VyxUPort.INF",
                              "vyxuport.inf.bak",
                              "oem5.inf",
                              "oem12",
                              "..\\System32\\drivers.inf",
                              "a/b.inf",
                              "c:x.inf",
                              "QUORVEX\\USB_SERIAL_INTERFACE",
                              "quorvex\\usb_parallel_interface",
                              "USB-to-Serial Port Driver",
                              "usb-to-paralell port driver",
                              "VYXUSRPT.vxd",
                              "vyxuprpt",
                              "VyxUsbComp.Dev",
                              "vyxuport.sys",
                              "usb\\vid_5e3a&pid_e4b2",
                              "VyxUsbSr.sys",
                              ".inf",
                              "x.inf",
                              "abcd",
                              ""};

std::vector<std::uint8_t> ValueBytes(FuzzInput& in) {
  std::vector<std::uint8_t> data;
  switch (in.Below(4)) {
    case 0: {  // raw bytes, up to well past the 260-byte buffer
      std::size_t n = in.Below(600);
      for (std::size_t i = 0; i < n; ++i) data.push_back(in.Byte());
      break;
    }
    default: {  // a text, changed a little, with or without its zero
      std::string text = kTexts[in.Below(sizeof kTexts / sizeof kTexts[0])];
      if (in.Flag()) text = text.substr(0, in.Below(static_cast<std::uint32_t>(text.size()) + 1));
      std::size_t edits = in.Below(3);
      for (std::size_t e = 0; e < edits && !text.empty(); ++e)
        text[in.Below(static_cast<std::uint32_t>(text.size()))] = static_cast<char>(in.Byte());
      if (in.Flag()) text += std::string(in.Below(300), 'x');
      data.assign(text.begin(), text.end());
      if (in.Below(4) != 0) data.push_back(0);
      if (in.Flag()) {
        std::vector<std::uint8_t> junk = in.Bytes(in.Below(8));
        data.insert(data.end(), junk.begin(), junk.end());
      }
    }
  }
  return data;
}

plat::DWORD ValueType(FuzzInput& in) {
  const plat::DWORD types[] = {plat::kRegSz,    plat::kRegSz,      plat::kRegBinary,
                               plat::kRegDword, 2 /* EXPAND_SZ */, 7 /* MULTI_SZ */,
                               plat::kRegNone};
  std::uint32_t i = in.Below(8);
  return i < 7 ? types[i] : in.Below(65536);
}

struct DriverKey {
  std::string name;
  reference::DriverValues values;
};

std::vector<DriverKey> FillClass(sim::Machine& m, const std::string& classKey, FuzzInput& in) {
  m.DeleteKeyTree(classKey);
  m.CreateKey(classKey);
  std::vector<DriverKey> keys;
  std::size_t count = in.Below(6);
  for (std::size_t k = 0; k < count; ++k) {
    DriverKey key;
    char name[8];
    std::snprintf(name, sizeof name, "%04zu", k);
    key.name = name;
    std::string path = classKey + "\\" + key.name;
    m.CreateKey(path);
    std::size_t values = in.Below(5);
    for (std::size_t v = 0; v < values; ++v) {
      std::uint32_t which = in.Below(7);
      std::vector<std::uint8_t> data = ValueBytes(in);
      m.SetValue(path, kValueNames[which], ValueType(in), data);
      std::optional<std::vector<std::uint8_t>>* slot[] = {
          &key.values.providerName, &key.values.driverDesc,       &key.values.infPath,
          &key.values.infSection,   &key.values.matchingDeviceId, &key.values.portDriver,
          &key.values.ntmpDriver};
      *slot[which] = data;
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  bool nt = in.Flag();
  sim::OsConfig os;
  if (!nt) {
    os.platformId = plat::kVerPlatformWin32Windows;
    os.major = 4;
    os.minor = 10;
    os.extendedVersionInfo = false;
    os.systemFolder = "C:\\WINDOWS\\SYSTEM";
  }
  sim::Machine& m = FuzzMachine(os, nt ? "values-xp" : "values-98");
  const std::string ports =
      nt ? "HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E978-E325-11CE-BFC1-08002BE10318}"
         : "HKLM\\System\\CurrentControlSet\\Services\\Class\\Ports";
  const std::string usb =
      nt ? "HKLM\\System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}"
         : "HKLM\\System\\CurrentControlSet\\Services\\Class\\USB";
  std::vector<DriverKey> portKeys = FillClass(m, ports, in);
  std::vector<DriverKey> usbKeys = FillClass(m, usb, in);

  CSetupApp app(m.Os());
  app.m_nDisplayError = 1;

  // Detection.
  CDriverInstaller installer(m.Os(), app);
  installer.m_bWin2kXp = nt;
  bool detected = installer.IsDriverInstalled() != 0;
  bool expected = std::any_of(usbKeys.begin(), usbKeys.end(), [](const DriverKey& k) {
    return reference::DescriptionDetected(k.values.driverDesc);
  });
  FUZZ_CHECK(detected == expected, "detection agrees with the description rule");

  // The INF files named by the class keys.
  CDriverRemover remover(m.Os(), app);
  remover.m_bWin2kXp = nt;
  m.Internal().calls.clear();
  remover.DeleteInfFiles();
  std::set<std::string> deleted, wanted;
  for (const sim::CallRecord& call : m.Calls())
    if (call.operation == "DeleteFile") deleted.insert(call.target);
  const std::string inf = os.windowsFolder + "\\inf\\";
  if (nt) {
    for (const char* name : {"VyxUComp.inf", "VyxUComp.PNF", "VyxUPort.inf", "VyxUPort.PNF"})
      wanted.insert(inf + name);
    auto named = [&](const std::vector<DriverKey>& keys, bool ofPorts) {
      for (const DriverKey& k : keys) {
        bool selected = ofPorts ? reference::InfWalkSelects(k.values.providerName, "quorvex")
                                : reference::InfWalkSelects(k.values.infSection, "vyxusbcomp");
        if (!selected) continue;
        auto base = reference::InfBaseName(k.values.infPath);
        if (!base || !PlainName(*base) || inf.size() + base->size() + 4 > 259) continue;
        wanted.insert(inf + *base + ".inf");
        wanted.insert(inf + *base + ".PNF");
      }
    };
    named(portKeys, true);
    named(usbKeys, false);
  } else {
    for (const char* name : {"Vyxusbsr.inf", "Vyxusbsr.PNF", "vyxuSrPt.inf", "vyxuSrPt.PNF",
                             "other\\QUORVEX Semiconductor Pvt LtdvyxUsbSr.inf",
                             "other\\QUORVEX Semiconductor Pvt LtdvyxuSrPt.inf"})
      wanted.insert(inf + name);
  }
  if (deleted != wanted) {
    for (const std::string& d : deleted) std::fprintf(stderr, "deleted %s\n", d.c_str());
    for (const std::string& w : wanted) std::fprintf(stderr, "wanted  %s\n", w.c_str());
  }
  FUZZ_CHECK(deleted == wanted,
             "the INF files deleted are those the class keys name, inside the INF folder");

  // The sweeps keep exactly the driver keys that match no rule.
  remover.DeletePortsClassKeys();
  remover.DeleteUsbClassKeys();
  auto kept = [&](const std::vector<DriverKey>& keys, bool ofPorts) {
    std::vector<std::string> names;
    for (const DriverKey& k : keys)
      if (!(ofPorts ? reference::PortsDriverMatches(k.values, nt)
                    : reference::UsbDriverMatches(k.values, nt)))
        names.push_back(k.name);
    return names;
  };
  FUZZ_CHECK(m.SubKeys(ports) == kept(portKeys, true),
             "the Ports sweep deletes exactly the matching driver keys");
  FUZZ_CHECK(m.SubKeys(usb) == kept(usbKeys, false),
             "the USB sweep deletes exactly the matching driver keys");
  FUZZ_CHECK(m.MessageBoxes().empty(), "nothing here fails, so nothing is reported");
  return 0;
}

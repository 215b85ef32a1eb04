// How the class-key sweeps scale: the Ports and USB class sweeps of the removal
// on simulated registries with 1,000 and with 100,000 driver keys of other
// makers (half in each class) and a few of the adapter's own among them. The
// cost should grow linearly with the number of keys: the ratio of the two
// times should stay at or below 120 for 100 times the keys. The platform calls
// per key are printed too: they show the work of the sweeps alone, apart from
// what a call costs the simulated machine at each size. Exits 1 when a sweep
// deleted the wrong keys.
//
// The machine is saved and loaded again before it is measured, as setup-sim
// meets a machine folder. Its call log is off for the measure: it is the sim's
// record for tests, and at 650,000 calls its memory, not the sweeps, would be
// what grows. A second line times the same sweeps with the log kept, for
// comparison only.
//
//   bench_class_key_sweep [--small N] [--large N]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "app/CSetupApp.h"
#include "platform/sim/Machine.h"
#include "platform/sim/MachineState.h"
#include "remove/CDriverRemover.h"

namespace {

const std::string kPortsNt =
    "HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E978-E325-11CE-BFC1-08002BE10318}";
const std::string kUsbNt =
    "HKLM\\System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}";
const std::string kPorts9x = "HKLM\\System\\CurrentControlSet\\Services\\Class\\Ports";
const std::string kUsb9x = "HKLM\\System\\CurrentControlSet\\Services\\Class\\USB";
constexpr int kAdapterKeysPerClass = 4;

std::string KeyName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "%06d", i);
  return name;
}

// Every fifth key is spread among the others in the enumeration order.
bool IsAdapterSlot(int i, int total) {
  int step = total / kAdapterKeysPerClass;
  return step > 0 && i % step == step / 2;
}

void WriteOtherDriver(sim::Machine& m, const std::string& key, bool win2kXp, bool ports, int i) {
  std::string maker = "Maker " + std::to_string(i % 97);
  if (win2kXp) {
    m.SetString(key, "ProviderName", maker);
    m.SetString(key, "DriverDesc", maker + (ports ? " Serial Port" : " USB Device"));
    m.SetString(key, "InfPath", "oem" + std::to_string(i) + ".inf");
    m.SetString(key, "InfSection", ports ? "ComPort" : "UsbDevice.Dev");
    m.SetString(key, "MatchingDeviceId", "usb\\vid_1234&pid_" + std::to_string(1000 + i % 9000));
  } else {
    m.SetString(key, "DriverDesc", maker + (ports ? " Serial Port" : " USB Device"));
    m.SetString(key, ports ? "PortDriver" : "NTMPDriver", ports ? "serial.vxd" : "usbdev.sys");
  }
}

void WriteAdapterDriver(sim::Machine& m, const std::string& key, bool win2kXp, bool ports) {
  if (win2kXp)
    m.SetString(key, ports ? "ProviderName" : "InfSection", ports ? "QuorVex" : "VyxUsbComp.Dev");
  else
    m.SetString(key, "DriverDesc",
                ports ? "USB-to-Serial Port Driver" : "QuorVex USB Compound Device");
}

struct Result {
  double seconds = 0;
  double callsPerKey = 0;  // platform calls per driver key: the work done, without the sim's costs
  bool correct = false;
};

// Builds the registry once; each round puts the adapter's keys back and times
// both sweeps. The best round counts.
Result Measure(int otherKeys, bool win2kXp, int rounds, bool keepCallLog) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                 ("bench-class-key-sweep-" + std::to_string(otherKeys));
  std::filesystem::remove_all(folder);
  sim::OsConfig os;
  if (!win2kXp) {
    os.platformId = plat::kVerPlatformWin32Windows;
    os.major = 4;
    os.minor = 10;
    os.systemFolder = "C:\\WINDOWS\\SYSTEM";
  }
  auto machine = sim::Machine::Create(folder, os);
  const std::string& portsKey = win2kXp ? kPortsNt : kPorts9x;
  const std::string& usbKey = win2kXp ? kUsbNt : kUsb9x;
  const int perClass = otherKeys / 2;
  const int total = perClass + kAdapterKeysPerClass;
  for (bool ports : {true, false}) {
    const std::string& classKey = ports ? portsKey : usbKey;
    for (int i = 0, other = 0; i < total; ++i)
      if (!IsAdapterSlot(i, total) || other >= perClass) {
        WriteOtherDriver(*machine, classKey + "\\" + KeyName(i), win2kXp, ports, other++);
      }
  }

  std::string error;
  if (!machine->Save(&error) || !(machine = sim::Machine::Load(folder, &error))) {
    std::fprintf(stderr, "bench_class_key_sweep: %s\n", error.c_str());
    std::exit(2);
  }
  sim::Machine& m = *machine;
  m.Internal().recordCalls = keepCallLog;

  CSetupApp app(m.Os());
  app.m_nDisplayError = 1;
  Result result;
  result.seconds = 1e30;
  result.correct = true;
  for (int round = 0; round < rounds; ++round) {
    for (bool ports : {true, false})
      for (int i = 0; i < total; ++i)
        if (IsAdapterSlot(i, total))
          WriteAdapterDriver(m, (ports ? portsKey : usbKey) + "\\" + KeyName(i), win2kXp, ports);
    // When kept, the log's memory is reused from round to round so that fresh
    // pages are not what is measured.
    m.Internal().calls.clear();
    const std::uint64_t callsBefore = m.Internal().callCount;

    CDriverRemover remover(m.Os(), app);
    remover.m_bWin2kXp = win2kXp ? 1 : 0;
    // Processor time of this process: the machine is shared with other work.
    std::clock_t start = std::clock();
    remover.DeletePortsClassKeys();
    remover.DeleteUsbClassKeys();
    double elapsed = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    result.seconds = std::min(result.seconds, elapsed);
    result.callsPerKey = static_cast<double>(m.Internal().callCount - callsBefore) / (2 * total);

    // Exactly the adapter's keys are gone.
    for (const std::string& classKey : {portsKey, usbKey})
      if (m.SubKeys(classKey).size() != static_cast<std::size_t>(perClass)) result.correct = false;
    if (!m.MessageBoxes().empty()) result.correct = false;
  }
  machine.reset();
  std::filesystem::remove_all(folder);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  int small = 1000, large = 100000;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--small") == 0) small = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--large") == 0) large = std::atoi(argv[i + 1]);
  }
  bool ok = true, goal = true;
  for (bool keepCallLog : {false, true}) {
    if (keepCallLog) std::printf("with the machine's call log kept (for comparison):\n");
    for (bool win2kXp : {true, false}) {
      Result a = Measure(small, win2kXp, 50, keepCallLog);
      Result b = Measure(large, win2kXp, 15, keepCallLog);
      double ratio = b.seconds / a.seconds;
      std::printf(
          "%-8s %7d keys: %8.4f s (%.2f calls/key)   %7d keys: %8.4f s (%.2f calls/key)   "
          "ratio %6.1f for %.0f times the keys%s\n",
          win2kXp ? "2000/XP" : "98/Me", small, a.seconds, a.callsPerKey, large, b.seconds,
          b.callsPerKey, ratio, static_cast<double>(large) / small,
          a.correct && b.correct ? "" : "   WRONG RESULT");
      ok = ok && a.correct && b.correct;
      if (!keepCallLog) goal = goal && ratio <= 1.2 * large / small;
    }
    if (!keepCallLog)
      std::printf("goal (ratio at most %.0f): %s\n", 1.2 * large / small, goal ? "met" : "missed");
  }
  return ok ? 0 : 1;
}

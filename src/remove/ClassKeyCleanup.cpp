// The driver keys of the earlier drivers under the Ports and USB device classes.
// Each flavour's Windows wrote different values, hence two sets of rules; the
// first rule that holds decides.
#include "platform/ScopedKey.h"
#include "remove/CDriverRemover.h"
#include "remove/DriverValueTests.h"
#include "remove/RemovalKeys.h"

using removal::ValueBeginsWith;
using removal::ValueEquals;

bool CDriverRemover::MatchesPortsDriver(plat::HKey key) {
  plat::IRegistry& r = m_os.registry;
  if (m_bWin2kXp)
    return ValueBeginsWith(r, key, "ProviderName", "quorvex") ||
           ValueBeginsWith(r, key, "DriverDesc", "quorvex") ||
           ValueBeginsWith(r, key, "InfPath", "quorvex") ||
           ValueEquals(r, key, "InfPath", "vyxuport.inf") ||
           ValueBeginsWith(r, key, "MatchingDeviceId", "quorvex\\usb_serial_interface") ||
           ValueBeginsWith(r, key, "MatchingDeviceId", "quorvex\\usb_parallel_interface");
  return ValueBeginsWith(r, key, "DriverDesc", "usb-to-serial port driver") ||
         ValueBeginsWith(r, key, "DriverDesc", "usb-to-paralell port driver") ||
         ValueBeginsWith(r, key, "PortDriver", "vyxusrpt") ||
         ValueBeginsWith(r, key, "PortDriver", "vyxuprpt");
}

bool CDriverRemover::MatchesUsbDriver(plat::HKey key) {
  plat::IRegistry& r = m_os.registry;
  if (m_bWin2kXp)
    return ValueBeginsWith(r, key, "InfSection", "vyxusbcomp") ||
           ValueBeginsWith(r, key, "NTMPDriver", "vyxuport") ||
           ValueBeginsWith(r, key, "MatchingDeviceId", "usb\\vid_5e3a");
  return ValueBeginsWith(r, key, "DriverDesc", "quorvex usb compound device") ||
         ValueBeginsWith(r, key, "DriverDesc", "tarvi usb compound device") ||
         ValueBeginsWith(r, key, "DriverDesc", "usb compound device") ||
         ValueBeginsWith(r, key, "NTMPDriver", "vyxusbsr");
}

void CDriverRemover::DeletePortsClassKeys() {
  SweepSubkeys(m_bWin2kXp ? removal::kPortsClassKeyNt : removal::kPortsClassKey9x, m_bWin2kXp != 0,
               [this](plat::HKey parent, const char* name) {
                 plat::ScopedKey driver(m_os.registry);
                 if (driver.Open(parent, name, plat::kKeyAllAccess) != plat::kErrorSuccess)
                   return false;
                 return MatchesPortsDriver(driver.Get());
               });
}

void CDriverRemover::DeleteUsbClassKeys() {
  SweepSubkeys(m_bWin2kXp ? removal::kUsbClassKeyNt : removal::kUsbClassKey9x, m_bWin2kXp != 0,
               [this](plat::HKey parent, const char* name) {
                 plat::ScopedKey driver(m_os.registry);
                 if (driver.Open(parent, name, plat::kKeyAllAccess) != plat::kErrorSuccess)
                   return false;
                 return MatchesUsbDriver(driver.Get());
               });
}

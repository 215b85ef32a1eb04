// The keys, values and texts the removal works on. Key paths are relative to
// HKEY_LOCAL_MACHINE unless their name says otherwise.
#pragma once

namespace removal {

// Class keys.
constexpr const char* kPortsClassKeyNt =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E978-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kUsbClassKeyNt =
    "System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}";
constexpr const char* kPortsClassKey9x = "System\\CurrentControlSet\\Services\\Class\\Ports";
constexpr const char* kUsbClassKey9x = "System\\CurrentControlSet\\Services\\Class\\USB";

// Enumeration keys.
constexpr const char* kUsbEnumKeyNt = "System\\CurrentControlSet\\Enum\\USB";
constexpr const char* kUsbEnumKey9x = "Enum\\USB";
constexpr const char* kSerialInterfaceKeyNt =
    "System\\CurrentControlSet\\Enum\\QUORVEX\\USB_SERIAL_INTERFACE";
constexpr const char* kSerialInterfaceKey9x = "Enum\\QUORVEX\\USB_SERIAL_INTERFACE";
constexpr const char* kParallelInterfaceKey9x = "Enum\\QUORVEX\\USB_PARALLEL_INTERFACE";
constexpr const char* kMakerEnumKeyNt = "System\\CurrentControlSet\\Enum\\QUORVEX";
constexpr const char* kMakerEnumKey9x = "Enum\\QUORVEX";
constexpr const char* kDeviceParametersSuffix = "\\Device Parameters";
constexpr const char* kPortNameValue = "PortName";

// Device maps.
constexpr const char* kSerialCommKeyNt = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* kSerialDeviceMap9x = "Hardware\\DeviceMap\\SerialComm";
constexpr const char* kParallelDeviceMap9x = "Hardware\\DeviceMap\\Parallel";

// Port names and the COM port database.
constexpr const char* kNtPortsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
constexpr const char* kComNameArbiterKey = "System\\CurrentControlSet\\Control\\COM Name Arbiter";
constexpr const char* kComDbValue = "ComDB";
constexpr const char* kComDbMergeValue = "ComDB Merge";

// Service and uninstall keys.
constexpr const char* kPortServiceKey = "System\\CurrentControlSet\\Services\\VyxUPort";
constexpr const char* kUninstallKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuorVex USB Compound Device",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TARVI USB Compound Device",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\USB Compound Device",
};

// The legacy port driver's keys (2000/XP).
constexpr const char* kLegacyKeys[] = {
    "System\\CurrentControlSet\\Enum\\CMC",
    "System\\CurrentControlSet\\Services\\VyxPort",
    "System\\CurrentControlSet\\Services\\VyxPort.Sys",
};

// The current user's Desktop folder (under HKEY_CURRENT_USER).
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kDesktopValue = "Desktop";

// Captions and texts of the removal's boxes.
constexpr const char* kRegistryErrorCaption = "Registry Error";
constexpr const char* kDeleteKeyCaption = "RegDeleteKey Failed";
constexpr const char* kMySHDeleteKeyCaption = "MySHDeleteKey Failed";
constexpr const char* kGetSecurityFailedText = "GetNamedSecurityInfo Failed";
constexpr const char* kSetEntriesFailedText = "SetEntriesInAcl failed";
constexpr const char* kSetSecurityFailedText = "SetNamedSecurityInfo failed";
constexpr const char* kServiceFailedText = "Failed to Delete service VyxUPort";

}  // namespace removal

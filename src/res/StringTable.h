// The string table of the program (ids 1 to 7): the texts the dialog shows.
// Setup.rc compiles the same texts into the resources; a test compares both.
#pragma once

namespace res {

inline constexpr const char* kStrings[8] = {
    nullptr,
    "Press \"Install\" button to Install the drives for USB Serial/Parallel compound device. For "
    "cancelling the installation press \"Exit\" button.",
    "Driver for this device is already installed in this system! \n\nTo update/reinstall press "
    "OK!\nTo abort installation press cancel!",
    "USB to Serial/Parallel Adapter Drivers Installed\n Press \"Reboot Now\" for installation to "
    "take effect.\n Else press \"Reboot Later\". ",
    "USB to Serial/Parallel Adapter Drivers updation is aborted. Press \"Exit\" to close the "
    "application.",
    "Installation is aborted. Press \"Exit\" to close the application.",
    "Installation completed. Press \"Exit\" to terminate the application. No need to restart the "
    "machine. Unplug and Replug the device if it is currently connected.  ",
    "Installation is in Progress.......Please wait!",
};

inline constexpr int kFirstString = 1;
inline constexpr int kLastString = 7;

}  // namespace res

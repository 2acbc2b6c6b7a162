// The launcher's buttons and the texts it prints over its background.
// Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct LauncherButton {
  int control;      // control identifier in the dialog
  uint16_t skinId;  // face set and rectangle
  bool disabledAtStart;
};

// In the dialog's order. The login enables or disables the four marked ones.
inline constexpr LauncherButton kLauncherButtons[] = {
    {1008, 1, false},  // IP SETUP
    {1005, 2, true},   // Remote Setup
    {1001, 3, true},   // Web Viewer
    {1002, 4, true},   // Web Backup
    {1003, 5, false},  // Web Player
    {1004, 6, true},   // Web Search
    {1011, 9, false},  // Cancel
};
constexpr int kIpSetupControl = 1008;
constexpr int kCancelControl = 1011;

// Help string of a function button; none for "Cancel" and unknown controls.
std::optional<uint16_t> HelpStringOf(int control);
// The six buttons that show help.
bool IsFunctionControl(int control);
// The five that open a remote function.
bool IsRemoteFunction(int control);

// "ID : " and the user ID, then a space.
std::u16string IdText(std::u16string_view id);
// "IP : " and the address, then a space; from 23 characters on cut to its
// first 20 and "...".
std::u16string AddressText(std::u16string_view ip);

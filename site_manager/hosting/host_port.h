// The port that a host window hands its control: usable from 1 to 65530.
#pragma once
#include <cstdint>
#include <string>

inline constexpr uint32_t kHighestHostPort = 65530;

// The port in decimal, or "" when it is out of range (the site is then unusable).
std::u16string HostPortText(int32_t port);

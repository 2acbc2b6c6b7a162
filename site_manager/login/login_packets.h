// What the login hands to Corvane and sends to the recorder, and how it reads
// the answer and the user's level. Byte layouts are fixed; text is already in
// the system's ANSI code page. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "corvane_header.h"

// Payload of the login request (command 1).
struct LoginRequest {
  char id[128];
  char password[128];
  uint32_t flags;       // kLumoraSkinFlag when the skin is Lumora's
  uint32_t one;         // 1
  uint8_t reserved[12];
};
static_assert(sizeof(LoginRequest) == 276);
static_assert(offsetof(LoginRequest, password) == 128 && offsetof(LoginRequest, flags) == 256);
static_assert(offsetof(LoginRequest, one) == 260 && offsetof(LoginRequest, reserved) == 264);

inline constexpr uint32_t kLumoraSkin = 0x4B414C54;
inline constexpr uint32_t kLumoraSkinFlag = 0x80000000;

// Both cut the texts to leave room for their terminators.
ConnectSocketInfo MakeConnectSocketInfo(std::string_view address, int32_t port);
LoginRequest MakeLoginRequest(std::string_view id, std::string_view password, uint32_t skinCode);

// The result code of an answer: its payload's first 4 bytes, read only when
// the header's payload length holds them; none for a shorter answer.
std::optional<int32_t> LoginResultCode(const uint8_t* header, const uint8_t* payload);

enum LoginResult : int32_t { kLoginAccepted = 1, kWrongPassword = 2, kWrongIdOrPassword = 3, kTooManyUsers = 4 };

// Message key and default text of a refusal; none for codes without a message.
struct LoginMessage {
  const char16_t* key;
  const char16_t* text;
};
std::optional<LoginMessage> MessageOf(int32_t resultCode);

// The launcher's four function buttons a user may use, as bits.
enum FunctionButton : unsigned { kLiveView = 1, kBackup = 2, kSearch = 4, kRemoteSetup = 8 };
inline constexpr unsigned kNoFunctions = 0;

// From the user ID alone, compared with its letters a-z made capital:
// SUPER and ADMIN all four, MANAGER all but remote setup, others live view.
unsigned FunctionsOfUser(std::u16string_view id);

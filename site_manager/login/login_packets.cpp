#include "login_packets.h"

#include <cstring>

#include "corvane_header.h"

namespace {

template <size_t N>
void CopyTerminated(char (&field)[N], std::string_view text) {
  const size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
}

}  // namespace

ConnectSocketInfo MakeConnectSocketInfo(std::string_view address, int32_t port) {
  ConnectSocketInfo info{};
  CopyTerminated(info.address, address);
  info.kind = 2;
  info.port = port;
  info.flag = 1;
  info.maxPacket = 0x100000;
  return info;
}

LoginRequest MakeLoginRequest(std::string_view id, std::string_view password, uint32_t skinCode) {
  LoginRequest request{};
  CopyTerminated(request.id, id);
  CopyTerminated(request.password, password);
  request.flags = skinCode == kLumoraSkin ? kLumoraSkinFlag : 0;
  request.one = 1;
  return request;
}

std::optional<int32_t> LoginResultCode(const uint8_t* header, const uint8_t* payload) {
  if (!header || !payload || corvane::ReadU32(header + corvane::kLengthOffset) < 4) return std::nullopt;
  return int32_t(corvane::ReadU32(payload));
}

std::optional<LoginMessage> MessageOf(int32_t resultCode) {
  switch (resultCode) {
    case kWrongPassword: return LoginMessage{u"ErrMsg1", u"Check Password!"};
    case kWrongIdOrPassword: return LoginMessage{u"ErrMsg2", u"Check ID Password!"};
    case kTooManyUsers: return LoginMessage{u"ErrMsg3", u"Users connect excess."};
  }
  return std::nullopt;
}

unsigned FunctionsOfUser(std::u16string_view id) {
  std::u16string upper(id);
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
  if (upper == u"SUPER" || upper == u"ADMIN") return kLiveView | kBackup | kSearch | kRemoteSetup;
  if (upper == u"MANAGER") return kLiveView | kBackup | kSearch;
  return kLiveView;
}

// Velmora's data: its skin table, text colours and the lookups in its
// language resource. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "skin_table.h"

namespace velmora {

extern const skin::SkinTable kSkin;
constexpr uint16_t kIconResource = 48;
constexpr uint16_t kLanguageResource = 1;  // RCDATA: the language text, UTF-8

std::optional<uint32_t> TextColour(uint16_t id);  // 0x00BBGGRR

// The value of key in [section] of the language text (ini form, UTF-8), with
// "\n" in a value standing for CR LF. Sections and keys match case-sensitively.
std::optional<std::u16string> FindText(std::string_view language, std::u16string_view section,
                                       std::u16string_view key);

// Copies text into out, which holds units (terminator included), cutting it
// when needed. Returns the number of units copied before the terminator.
size_t CopyBounded(char16_t* out, size_t units, std::u16string_view text);

}  // namespace velmora

// UTF-8 and UTF-16: the one conversion pair of the handset's code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace handset {

std::string ToUtf8(std::wstring_view text);

// The text of UTF-8 bytes; nothing when they are not valid UTF-8.
std::optional<std::wstring> FromUtf8(std::string_view bytes);

} // namespace handset

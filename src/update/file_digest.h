#pragma once

#include <optional>
#include <string>
#include <string_view>

// The SHA-256 of a file's bytes as 64 lowercase hexadecimal digits; nothing when the file
// cannot be read.
std::optional<std::string> sha256OfFile(const std::string& path);

// The text as a SHA-256 in lowercase hexadecimal digits, blanks around it aside; nothing when
// it is not 64 hexadecimal digits.
std::optional<std::string> sha256Text(std::string_view text);

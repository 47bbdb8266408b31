#pragma once

#include <string>

// The text of the message that tells the user where the i.SAF file was saved: the path
// word-wrapped at 45 columns below the fixed lead-in.
std::string savedMessageText(const std::string& path);

// Breaks a long text after a space, hyphen or tab once a line holds 45 characters, never
// inside quotes; lines are joined by CR LF.
std::string wrapAt45Columns(const std::string& text);

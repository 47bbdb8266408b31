#pragma once

#include <string_view>

// The i.SAF 1.2 schema (data/isaf_1.2.xsd) as the program carries it, so that checking a file
// never depends on a file beside the program.
std::string_view isafSchemaText();

// The namespace of every i.SAF 1.2 element.
inline constexpr std::string_view kIsafNamespace = "http://www.vmi.lt/cms/imas/isaf";

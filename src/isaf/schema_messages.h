#pragma once

#include <string>
#include <string_view>

// A schema violation as the user reads it.
struct SchemaErrorText {
    std::string element;  // the element libxml2 names, without the i.SAF namespace
    std::string text;
};

// A plain Lithuanian sentence for the common violations libxml2's schema validator reports (a
// missing or unexpected element, a value outside its pattern, its list of values, its length,
// its type or its range), and libxml2's own text for the rest. `code` is libxml2's error code;
// `value` and `limit` are the two details it gives with it (its str1 and str2).
SchemaErrorText schemaErrorText(int code, std::string_view message, std::string_view value,
                                std::string_view limit);

#pragma once

#include <string_view>

// Whether two sheet names are the same to the spreadsheet application: letter case is
// ignored for every script ("išrašai" and "IŠRAŠAI" name one sheet).
bool sameSheetName(std::string_view a, std::string_view b);

#include "workbook/workbook_sheet_names.h"

#include <unicode/stringpiece.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

bool sameSheetName(std::string_view a, std::string_view b) {
    const auto left =
        icu::UnicodeString::fromUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())));
    const auto right =
        icu::UnicodeString::fromUTF8(icu::StringPiece(b.data(), static_cast<int32_t>(b.size())));
    return left.caseCompare(right, U_FOLD_CASE_DEFAULT) == 0;
}

#pragma once

#include <cstddef>
#include <cstdint>

// Bounds that keep a broken or hostile workbook from eating the machine. Real workbooks of
// this program stay far below every one of them.

// The sheet readers read columns A to W; cells further right are skipped unread.
inline constexpr int kMaxColumn = 23;
// The spreadsheet application's own grid.
inline constexpr int kMaxRow = 1048576;

// Uncompressed size of one worksheet part of an .xlsx package.
inline constexpr std::uint64_t kMaxSheetPartBytes = std::uint64_t{1} << 30;
// Uncompressed size of any other part (workbook, relationships, styles, shared strings).
inline constexpr std::uint64_t kMaxOtherPartBytes = std::uint64_t{256} << 20;
// Inflated bytes per compressed byte, checked once a part has grown past the grace size.
// Sparse sheets of styled empty rows compress about 100:1; zip bombs approach 1000:1.
inline constexpr std::uint64_t kMaxCompressionRatio = 400;
inline constexpr std::uint64_t kRatioGraceBytes = std::uint64_t{16} << 20;
// One cell's text; the spreadsheet application holds at most 32767 characters in a cell.
inline constexpr std::uint64_t kMaxCellTextBytes = std::uint64_t{1} << 20;

// Elements open at once in any XML part of an .xlsx package. Real workbooks nest about ten
// deep; without a bound a crafted part costs memory and time in proportion to its depth.
inline constexpr int kMaxXmlDepth = 32;
// The name of an element; real ones are a few letters, and the names of the open elements are
// kept while they are open.
inline constexpr std::size_t kMaxXmlNameBytes = 1024;

// An .xls file is read into memory whole (its streams are scattered over it in sectors).
inline constexpr std::uint64_t kMaxXlsFileBytes = std::uint64_t{256} << 20;

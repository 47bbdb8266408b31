#pragma once

#include <map>
#include <string>

// Hand-assembled .xlsx packages, for the variants that real producers write and libxlsxwriter
// does not (strict namespaces, inline strings, rows without numbers), and for broken files.

using XlsxPartMap = std::map<std::string, std::string>;  // part name -> content

// A one-sheet package: the sheet "Gau21" with `sheetXml` as xl/worksheets/sheet1.xml, cell
// formats 0 = General, 1 = built-in date (14), 2 = LibreOffice's yyyy\-mm\-dd, 3 = 0.00, and
// the shared strings "first", "second". Tests replace or add parts before writing.
XlsxPartMap minimalXlsx(const std::string& sheetXml);

// A worksheet part around the given <row> elements.
std::string worksheetXml(const std::string& rows);

// Writes the parts as a deflated zip file. Throws std::runtime_error when it cannot.
void writeZip(const std::string& path, const XlsxPartMap& parts);

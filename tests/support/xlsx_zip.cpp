#include "support/xlsx_zip.h"

#include <zip.h>

#include <stdexcept>

namespace {

const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const kPackageRelationships =
    "http://schemas.openxmlformats.org/package/2006/relationships";

}  // namespace

std::string worksheetXml(const std::string& rows) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n") +
           "<worksheet xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelationships +
           "\"><dimension ref=\"A1\"/><sheetData>" + rows + "</sheetData></worksheet>";
}

XlsxPartMap minimalXlsx(const std::string& sheetXml) {
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    XlsxPartMap parts;
    parts["[Content_Types].xml"] =
        head +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";
    parts["_rels/.rels"] = head + "<Relationships xmlns=\"" + kPackageRelationships +
                           "\"><Relationship Id=\"rId1\" Type=\"" + kRelationships +
                           "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    parts["xl/workbook.xml"] = head + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" +
                               kRelationships +
                               "\"><sheets><sheet name=\"Gau21\" sheetId=\"1\" "
                               "r:id=\"rId1\"/></sheets></workbook>";
    parts["xl/_rels/workbook.xml.rels"] =
        head + "<Relationships xmlns=\"" + kPackageRelationships + "\">" +
        "<Relationship Id=\"rId1\" Type=\"" + kRelationships +
        "/worksheet\" Target=\"worksheets/sheet1.xml\"/>" + "<Relationship Id=\"rId2\" Type=\"" +
        kRelationships + "/styles\" Target=\"styles.xml\"/>" + "<Relationship Id=\"rId3\" Type=\"" +
        kRelationships + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
    parts["xl/styles.xml"] =
        head + "<styleSheet xmlns=\"" + kMain +
        "\"><numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy\\-mm\\-dd\"/>"
        "</numFmts><cellStyleXfs count=\"1\"><xf numFmtId=\"14\"/></cellStyleXfs>"
        "<cellXfs count=\"4\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/>"
        "<xf numFmtId=\"2\"/></cellXfs></styleSheet>";
    parts["xl/sharedStrings.xml"] = head + "<sst xmlns=\"" + kMain +
                                    "\" count=\"2\" uniqueCount=\"2\"><si><t>first</t></si>"
                                    "<si><t>second</t></si></sst>";
    parts["xl/worksheets/sheet1.xml"] = sheetXml;
    return parts;
}

void writeZip(const std::string& path, const XlsxPartMap& parts) {
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr) {
        throw std::runtime_error("cannot create zip " + path);
    }
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        if (source == nullptr ||
            zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name + " to " + path);
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write zip " + path);
    }
}

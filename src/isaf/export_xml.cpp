#include "isaf/export_xml.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/atomic_file.h"
#include "base/folders.h"
#include "base/text.h"
#include "isaf/invoice_elements.h"
#include "isaf/master_files.h"
#include "isaf/xml_text.h"

namespace {

constexpr Lead kRoot{0, 0};
constexpr Lead kSection{2, 0};
constexpr Lead kDescription{4, 0};
constexpr Lead kHeaderField{6, 0};
constexpr Lead kCriteriaField{8, 0};
constexpr Lead kGroup{4, 0};
constexpr Lead kInvoices{2, 1};

// The schema's limit for SoftwareVersion.
constexpr size_t kVersionCharacters = 24;

// The instant in UTC, which is what the trailing "Z" of FileDateCreated says.
std::string utcDateTime(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

void appendHeader(IsafDocument& document, const IsafFileInfo& info,
                  std::chrono::system_clock::time_point created) {
    const std::string partNumber = info.workplaceName.empty() ? "1" : info.workplaceName;
    document.line(kRoot, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    document.line(kRoot,
                  "<iSAFFile xmlns=\"http://www.vmi.lt/cms/imas/isaf\" "
                  "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">");
    document.line(kSection, "<Header>");
    document.line(kDescription, "<FileDescription>");
    document.element(kHeaderField, "FileVersion", "iSAF1.2");
    document.element(kHeaderField, "FileDateCreated", utcDateTime(created));
    document.element(kHeaderField, "DataType", "F");
    document.element(kHeaderField, "SoftwareCompanyName", "Kolvira");
    document.element(kHeaderField, "SoftwareName", "Kolvira");
    document.element(kHeaderField, "SoftwareVersion",
                     firstCharacters(info.programVersion, kVersionCharacters));
    document.element(kHeaderField, "RegistrationNumber", info.payerCode);
    document.element(kHeaderField, "NumberOfParts", "1");
    document.element(kHeaderField, "PartNumber", partNumber);
    document.line(kHeaderField, "<SelectionCriteria>");
    document.element(kCriteriaField, "SelectionStartDate", info.period.from.text());
    document.element(kCriteriaField, "SelectionEndDate", info.period.to.text());
    document.line(kHeaderField, "</SelectionCriteria>");
    document.line(kDescription, "</FileDescription>");
    document.line(kSection, "</Header>");
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

void createFolderIfMissing(const std::string& folder) {
    // The installed program's folder (Documents/Kolvira/rinkmenos) may lack several levels.
    if (const Status created = createFolders(folder); !created.ok()) {
        throw IsafFileError(IsafFileError::Reason::NotWritable,
                            "Nepavyko sukurti aplanko " + folder + "\r\n" + created.message());
    }
}

void checkCap(size_t entries, const char* section) {
    if (entries > kSchemaSectionCap) {
        throw IsafFileError(IsafFileError::Reason::BeyondSchemaCaps,
                            std::string("Per daug ") + section + ": " + std::to_string(entries) +
                                ".\r\nViename i.SAF faile jų gali būti ne daugiau kaip 500 000. "
                                "Failas nesukurtas.");
    }
}

}  // namespace

void checkSchemaCaps(size_t suppliers, size_t customers, size_t purchaseInvoices,
                     size_t salesInvoices) {
    checkCap(customers, "pirkėjų");
    checkCap(suppliers, "tiekėjų");
    checkCap(purchaseInvoices, "gautų sąskaitų faktūrų");
    checkCap(salesInvoices, "išrašytų sąskaitų faktūrų");
}

std::string isafFileName(const IsafFileInfo& info) {
    char month[32];
    std::snprintf(month, sizeof month, "%04d%02d", info.period.from.year, info.period.from.month);
    return "Kolvira_" + info.payerCode + "_" + month + "_" + info.workplaceName + ".xml";
}

void assembleIsafDocument(IsafDocument& document, const InvoiceBook& book, const IsafFileInfo& info,
                          std::chrono::system_clock::time_point created) {
    appendHeader(document, info, created);
    const Ledger& purchases = book.purchases;
    const Ledger& sales = book.sales;

    document.beginPhase(purchases.counterparts.listedCount() + sales.counterparts.listedCount());
    document.line(kSection, "<MasterFiles>");
    // Customers always come before Suppliers.
    if (!sales.counterparts.empty()) {
        document.line(kGroup, "<Customers>");
        ExportCustomers(document, sales.counterparts);
        document.line(kGroup, "</Customers>");
    }
    if (!purchases.counterparts.empty()) {
        document.line(kGroup, "<Suppliers>");
        ExportSuppliers(document, purchases.counterparts);
        document.line(kGroup, "</Suppliers>");
    }
    document.line(kSection, "</MasterFiles>");

    document.beginPhase(purchases.invoices.size() + sales.invoices.size());
    document.line(kSection, "<SourceDocuments>");
    if (!purchases.invoices.empty()) {
        document.line(kInvoices, "<PurchaseInvoices>");
        ExportPurchaseInvoices(document, purchases);
        document.line(kInvoices, "</PurchaseInvoices>");
    }
    if (!sales.invoices.empty()) {
        document.line(kInvoices, "<SalesInvoices>");
        ExportSalesInvoices(document, sales);
        document.line(kInvoices, "</SalesInvoices>");
    }
    document.line(kSection, "</SourceDocuments>");
    document.line(kRoot, "</iSAFFile>");
}

std::string writeIsafFile(const InvoiceBook& book, const IsafFileInfo& info,
                          const std::string& outputFolder, Progress& progress,
                          const UtcClock& now) {
    checkSchemaCaps(book.purchases.counterparts.listedCount(),
                    book.sales.counterparts.listedCount(), book.purchases.invoices.size(),
                    book.sales.invoices.size());

    const std::string folder = withSeparator(outputFolder);
    createFolderIfMissing(folder);
    std::string path = folder + isafFileName(info);
    // Streamed into a temporary file beside the old one as it is built: a month of a large
    // business is never held in memory whole.
    ReplacingFile file(path);
    IsafDocument document(progress, file);
    assembleIsafDocument(document, book, info, now());
    document.finish();
    const Status saved = file.commit();
    if (!saved.ok()) {
        throw IsafFileError(IsafFileError::Reason::NotWritable,
                            "Nepavyko išsaugoti i.SAF failo.\r\n" + saved.message());
    }
    document.endProgress();
    return path;
}

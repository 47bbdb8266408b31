#include "isaf/file_check.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <unordered_map>

#include "isaf/checked_invoice.h"
#include "isaf/counterpart_register.h"
#include "isaf/invoice_elements.h"
#include "isaf/isaf_schema.h"
#include "isaf/isaf_values.h"
#include "isaf/schema_messages.h"

namespace {

// A real i.SAF file nests 7 deep and holds no text longer than 256 characters; the largest the
// schema's caps allow is about 2 GiB.
constexpr size_t kMaxDepth = 64;
constexpr size_t kMaxTextBytes = size_t{1} << 20;
constexpr unsigned long long kMaxFileBytes = 4ULL << 30;
constexpr size_t kChunkBytes = size_t{256} * 1024;
constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

enum class Tag : uint8_t {
    Other,
    IsafFile,
    Header,
    FileDescription,
    RegistrationNumber,
    PartNumber,
    SelectionCriteria,
    SelectionStartDate,
    SelectionEndDate,
    MasterFiles,
    Customers,
    Customer,
    Suppliers,
    Supplier,
    CustomerId,
    SupplierId,
    VatRegistrationNumber,
    Country,
    Name,
    SourceDocuments,
    PurchaseInvoices,
    SalesInvoices,
    Invoice,
    InvoiceNo,
    CustomerInfo,
    SupplierInfo,
    InvoiceDate,
    InvoiceType,
    RegistrationAccountDate,
    DocumentTotals,
    DocumentTotal,
    TaxableValue,
    TaxCode,
    TaxPercentage,
    Amount,
};

Tag tagOf(std::string_view name) {
    static const std::unordered_map<std::string_view, Tag> tags = {
        {"iSAFFile", Tag::IsafFile},
        {"Header", Tag::Header},
        {"FileDescription", Tag::FileDescription},
        {"RegistrationNumber", Tag::RegistrationNumber},
        {"PartNumber", Tag::PartNumber},
        {"SelectionCriteria", Tag::SelectionCriteria},
        {"SelectionStartDate", Tag::SelectionStartDate},
        {"SelectionEndDate", Tag::SelectionEndDate},
        {"MasterFiles", Tag::MasterFiles},
        {"Customers", Tag::Customers},
        {"Customer", Tag::Customer},
        {"Suppliers", Tag::Suppliers},
        {"Supplier", Tag::Supplier},
        {"CustomerID", Tag::CustomerId},
        {"SupplierID", Tag::SupplierId},
        {"VATRegistrationNumber", Tag::VatRegistrationNumber},
        {"Country", Tag::Country},
        {"Name", Tag::Name},
        {"SourceDocuments", Tag::SourceDocuments},
        {"PurchaseInvoices", Tag::PurchaseInvoices},
        {"SalesInvoices", Tag::SalesInvoices},
        {"Invoice", Tag::Invoice},
        {"InvoiceNo", Tag::InvoiceNo},
        {"CustomerInfo", Tag::CustomerInfo},
        {"SupplierInfo", Tag::SupplierInfo},
        {"InvoiceDate", Tag::InvoiceDate},
        {"InvoiceType", Tag::InvoiceType},
        {"RegistrationAccountDate", Tag::RegistrationAccountDate},
        {"DocumentTotals", Tag::DocumentTotals},
        {"DocumentTotal", Tag::DocumentTotal},
        {"TaxableValue", Tag::TaxableValue},
        {"TaxCode", Tag::TaxCode},
        {"TaxPercentage", Tag::TaxPercentage},
        {"Amount", Tag::Amount},
    };
    const auto found = tags.find(name);
    return found == tags.end() ? Tag::Other : found->second;
}

// Where an element stands: the containers the checks follow, the values they read, and
// everything else.
enum class Scope : uint8_t {
    Other,
    Root,
    Header,
    FileDescription,
    Selection,
    MasterFiles,
    Customers,
    Suppliers,
    MasterCustomer,
    MasterSupplier,
    SourceDocuments,
    Purchases,
    Sales,
    Invoice,
    CounterpartInfo,
    Totals,
    Total,
    Value,
};

// The values the checks read.
enum class Field : uint8_t {
    None,
    PayerCode,
    PartNumber,
    PeriodStart,
    PeriodEnd,
    CounterpartId,
    VatCode,
    RegistrationNumber,
    Country,
    Name,
    InvoiceNo,
    InvoiceDate,
    InvoiceType,
    RegistrationDate,
    TaxableValue,
    TaxCode,
    TaxPercentage,
    Amount,
};

// A counterpart's value inside Customer, Supplier, CustomerInfo or SupplierInfo.
Field counterpartField(Tag tag, bool customer) {
    switch (tag) {
        case Tag::CustomerId:
            return customer ? Field::CounterpartId : Field::None;
        case Tag::SupplierId:
            return customer ? Field::None : Field::CounterpartId;
        case Tag::VatRegistrationNumber:
            return Field::VatCode;
        case Tag::RegistrationNumber:
            return Field::RegistrationNumber;
        case Tag::Country:
            return Field::Country;
        case Tag::Name:
            return Field::Name;
        default:
            return Field::None;
    }
}

struct TaxLineState {
    TaxLine line;
    bool codeGiven = false;
    bool percentageGiven = false;
    bool percentageNil = false;
    std::string percentage;
    long percentageLine = 0;
};

struct HeaderState {
    std::optional<std::string> payerCode;
    long payerCodeLine = 0;
    std::optional<std::string> partNumber;
    long partNumberLine = 0;
    std::optional<Date> periodStart;
    long periodStartLine = 0;
    std::optional<Date> periodEnd;
};

std::string_view xmlText(const xmlChar* text) {
    return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

std::string_view cText(const char* text) {
    return text == nullptr ? std::string_view() : text;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string quoted(std::string_view text) {
    return "„" + std::string(text) + "“";
}

struct SchemaFree {
    void operator()(xmlSchema* schema) const { xmlSchemaFree(schema); }
};

void ignoreSchemaError(void* /*data*/, xmlErrorPtr /*error*/) {}

// Compiled once per process from the copy the program carries.
xmlSchema* isafSchema() {
    static const std::unique_ptr<xmlSchema, SchemaFree> schema = [] {
        xmlInitParser();
        const std::string_view text = isafSchemaText();
        xmlSchemaParserCtxt* parser =
            xmlSchemaNewMemParserCtxt(text.data(), static_cast<int>(text.size()));
        if (parser == nullptr) {
            throw std::bad_alloc();
        }
        xmlSchemaSetParserStructuredErrors(parser, ignoreSchemaError, nullptr);
        xmlSchema* parsed = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
        if (parsed == nullptr) {
            throw std::runtime_error("the i.SAF schema the program carries does not compile");
        }
        return std::unique_ptr<xmlSchema, SchemaFree>(parsed);
    }();
    return schema.get();
}

// libxml2 reports the parser's errors to the thread's structured error handler; this one for
// as long as a check runs.
class ErrorHandlerScope {
  public:
    ErrorHandlerScope(void* data, xmlStructuredErrorFunc handler)
        : data_(xmlStructuredErrorContext), handler_(xmlStructuredError) {
        xmlSetStructuredErrorFunc(data, handler);
    }
    ~ErrorHandlerScope() { xmlSetStructuredErrorFunc(data_, handler_); }
    ErrorHandlerScope(const ErrorHandlerScope&) = delete;
    ErrorHandlerScope& operator=(const ErrorHandlerScope&) = delete;

  private:
    void* data_;
    xmlStructuredErrorFunc handler_;
};

// The line the parser stands on, for the schema validator's messages.
int parserLine(void* context, const char** file, unsigned long* line) {
    const auto* parser = static_cast<xmlParserCtxt*>(context);
    if (file != nullptr) {
        *file = nullptr;
    }
    if (line != nullptr) {
        *line = parser->input != nullptr && parser->input->line > 0
                    ? static_cast<unsigned long>(parser->input->line)
                    : 0;
    }
    return 0;
}

// A file opened for reading, closed when it goes out of scope.
class ReadOnlyFile {
  public:
    explicit ReadOnlyFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    int fd() const { return fd_; }

  private:
    int fd_;
};

class FileChecker {
  public:
    FileChecker(std::string path, Date today) : path_(std::move(path)), today_(today) {}

    FileCheckResult run();

  private:
    // The SAX callbacks; `self` is the checker.
    static void onStart(void* self, const xmlChar* localName, const xmlChar* prefix,
                        const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                        int attributeCount, int defaultedCount, const xmlChar** attributes);
    static void onEnd(void* self, const xmlChar* localName, const xmlChar* prefix,
                      const xmlChar* uri);
    static void onText(void* self, const xmlChar* text, int length);
    static void onDoctype(void* self, const xmlChar* name, const xmlChar* externalId,
                          const xmlChar* systemId);
    static void onError(void* self, xmlErrorPtr error);

    // Runs a callback's work. An exception must not cross libxml2's C frames: it is kept until
    // the parser has returned, and every later callback does nothing.
    template <typename Action>
    void guarded(Action&& action) {
        if (failure_) {
            return;
        }
        try {
            action();
        } catch (...) {
            failure_ = std::current_exception();
        }
    }

    void parse(int fd);
    void start(std::string_view localName, std::string_view uri, int attributeCount,
               const xmlChar** attributes);
    void end();
    void text(std::string_view text);
    void error(const xmlError& error);
    void refuse(long line, std::string text, std::string element = {});
    long line() const;

    Scope scopeOf(Tag tag, Scope parent);
    void value(Field field, std::string_view text, bool nil, long line);
    void endScope(Scope scope);
    void endTaxLine();
    void endInvoice();
    void checkFileName();
    std::string invoiceLabel() const;

    std::string path_;
    Date today_;
    xmlParserCtxt* parser_ = nullptr;
    std::exception_ptr failure_;
    unsigned long long bytesRead_ = 0;
    CheckFindings findings_;

    // The elements open now, outermost first, with their names (libxml2's interned strings).
    std::vector<Scope> scopes_;
    std::vector<const char*> names_;
    size_t textBytes_ = 0;
    Field field_ = Field::None;
    size_t fieldDepth_ = 0;
    std::string fieldText_;
    bool fieldNil_ = false;
    long fieldLine_ = 0;

    HeaderState header_;
    CheckedInvoices invoices_;
    CounterpartRegister customers_{InvoiceSide::Sales, invoices_.counterparts};
    CounterpartRegister suppliers_{InvoiceSide::Purchase, invoices_.counterparts};
    CheckedCounterpart counterpart_;
    long counterpartLine_ = 0;
    bool counterpartGiven_ = false;
    CheckedInvoice invoice_;
    long invoiceDateLine_ = 0;
    long registrationDateLine_ = 0;
    TaxLineState taxLine_;
    IsafSummary summary_;
};

void FileChecker::onStart(void* self, const xmlChar* localName, const xmlChar* /*prefix*/,
                          const xmlChar* uri, int /*namespaceCount*/,
                          const xmlChar** /*namespaces*/, int attributeCount,
                          int /*defaultedCount*/, const xmlChar** attributes) {
    auto* checker = static_cast<FileChecker*>(self);
    checker->guarded(
        [&] { checker->start(xmlText(localName), xmlText(uri), attributeCount, attributes); });
}

void FileChecker::onEnd(void* self, const xmlChar* /*localName*/, const xmlChar* /*prefix*/,
                        const xmlChar* /*uri*/) {
    auto* checker = static_cast<FileChecker*>(self);
    checker->guarded([&] { checker->end(); });
}

void FileChecker::onText(void* self, const xmlChar* text, int length) {
    auto* checker = static_cast<FileChecker*>(self);
    checker->guarded([&] {
        checker->text(
            std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length)));
    });
}

void FileChecker::onDoctype(void* self, const xmlChar* /*name*/, const xmlChar* /*externalId*/,
                            const xmlChar* /*systemId*/) {
    // Halts the parser before it reads a single declaration: no entity is ever defined, so
    // none is expanded or fetched. Halting is safe here, where the parser looks at nothing
    // more of its input and the schema validator takes no part.
    auto* checker = static_cast<FileChecker*>(self);
    checker->guarded([&] {
        checker->refuse(checker->line(),
                        "Rinkmenoje yra dokumento tipo aprašas (DOCTYPE); i.SAF rinkmenoje jo "
                        "būti negali, todėl rinkmena netikrinama.");
        xmlStopParser(checker->parser_);
    });
}

void FileChecker::onError(void* self, xmlErrorPtr error) {
    auto* checker = static_cast<FileChecker*>(self);
    if (error != nullptr) {
        checker->guarded([&] { checker->error(*error); });
    }
}

FileCheckResult FileChecker::run() {
    const ReadOnlyFile file(path_);
    struct stat info {};
    if (file.fd() < 0) {
        refuse(0, "Rinkmenos nepavyko atidaryti: " + std::string(std::strerror(errno)) + ".");
    } else if (::fstat(file.fd(), &info) == 0 && S_ISREG(info.st_mode) &&
               static_cast<unsigned long long>(info.st_size) > kMaxFileBytes) {
        refuse(0, "Rinkmena didesnė nei 4 GiB; tokios i.SAF rinkmenos nebūna.");
    } else {
        parse(file.fd());
    }
    if (!findings_.refused()) {
        checkFileName();
        // The warnings about the invoices, once the whole file is read.
        std::optional<CheckedPayerCode> payerCode;
        if (header_.payerCode) {
            payerCode = CheckedPayerCode{*header_.payerCode, header_.payerCodeLine};
        }
        addInvoiceWarnings(invoices_, payerCode, today_, findings_);
    }

    FileCheckResult result;
    result.errors = findings_.errors();
    result.warnings = findings_.warnings();
    result.notListed = findings_.notListed();
    if (findings_.refused()) {
        result.outcome = CheckOutcome::NotIsaf;
    } else {
        result.outcome = result.errors > 0     ? CheckOutcome::Errors
                         : result.warnings > 0 ? CheckOutcome::WarningsOnly
                                               : CheckOutcome::Clean;
        result.summary = std::move(summary_);
    }
    result.findings = findings_.takeListed();
    return result;
}

void FileChecker::parse(int fd) {
    std::unique_ptr<xmlSchemaValidCtxt, decltype(&xmlSchemaFreeValidCtxt)> validator(
        xmlSchemaNewValidCtxt(isafSchema()), &xmlSchemaFreeValidCtxt);
    if (!validator) {
        throw std::bad_alloc();
    }
    ErrorHandlerScope errors(this, &FileChecker::onError);
    xmlSchemaSetValidStructuredErrors(validator.get(), &FileChecker::onError, this);

    // Only what the checks need: no tree is built, and no DTD callbacks beyond the refusal.
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &FileChecker::onStart;
    sax.endElementNs = &FileChecker::onEnd;
    sax.characters = &FileChecker::onText;
    sax.internalSubset = &FileChecker::onDoctype;

    std::vector<char> buffer(kChunkBytes);
    bool atEnd = false;
    const auto readChunk = [&]() -> size_t {
        for (;;) {
            const ssize_t count = ::read(fd, buffer.data(), buffer.size());
            if (count >= 0) {
                bytesRead_ += static_cast<unsigned long long>(count);
                atEnd = count == 0;
                return static_cast<size_t>(count);
            }
            if (errno != EINTR) {
                refuse(0, "Rinkmenos nepavyko perskaityti: " + std::string(std::strerror(errno)) +
                              ".");
                return 0;
            }
        }
    };
    size_t count = readChunk();
    if (findings_.refused()) {
        return;
    }
    // The first four bytes tell the encoding.
    const size_t head = std::min<size_t>(count, 4);
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> parser(
        xmlCreatePushParserCtxt(&sax, this, buffer.data(), static_cast<int>(head), nullptr),
        &xmlFreeParserCtxt);
    if (!parser) {
        throw std::bad_alloc();
    }
    parser_ = parser.get();
    // No network, no DTD loaded, no entity substituted; CDATA sections arrive as text.
    xmlCtxtUseOptions(parser_, XML_PARSE_NONET | XML_PARSE_NOCDATA);
    // Unplugged before the parser is freed, which frees the handler in place then.
    const std::unique_ptr<xmlSchemaSAXPlugStruct, decltype(&xmlSchemaSAXUnplug)> plug(
        xmlSchemaSAXPlug(validator.get(), &parser_->sax, &parser_->userData), &xmlSchemaSAXUnplug);
    if (!plug) {
        throw std::runtime_error("the schema validator does not plug into the parser");
    }
    xmlSchemaValidateSetLocator(validator.get(), &parserLine, parser_);

    const auto stopped = [&] {
        return failure_ || findings_.refused() || parser_->instate == XML_PARSER_EOF ||
               !parser_->wellFormed;
    };
    const char* chunk = buffer.data() + head;
    count -= head;
    while (!stopped()) {
        if (atEnd) {
            xmlParseChunk(parser_, nullptr, 0, 1);
            break;
        }
        if (count > 0) {
            xmlParseChunk(parser_, chunk, static_cast<int>(count), 0);
        }
        if (stopped()) {
            break;
        }
        if (bytesRead_ > kMaxFileBytes) {
            refuse(0, "Rinkmena didesnė nei 4 GiB; tokios i.SAF rinkmenos nebūna.");
            break;
        }
        count = readChunk();
        chunk = buffer.data();
    }
    parser_ = nullptr;
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

long FileChecker::line() const {
    return parser_ != nullptr ? xmlSAX2GetLineNumber(parser_) : 0;
}

// The parser is not halted here: libxml2 2.9 frees its input when halted, while the schema
// validator still reads the values of the callback that refused (an attribute, a text) and its
// error reports may come from the middle of a switch of encoding. Every callback does nothing
// once the file is refused, and no more of the file is read.
void FileChecker::refuse(long line, std::string text, std::string element) {
    findings_.refuse({FindingKind::NotIsaf, line, std::move(element), {}, std::move(text)});
}

void FileChecker::error(const xmlError& error) {
    if (findings_.refused() || error.level < XML_ERR_ERROR) {
        return;
    }
    std::string message(trimmed(cText(error.message)));
    const long line = error.line;
    if (error.domain == XML_FROM_SCHEMASV) {
        SchemaErrorText text =
            schemaErrorText(error.code, message, cText(error.str1), cText(error.str2));
        findings_.add(
            {FindingKind::Schema, line, std::move(text.element), {}, std::move(text.text)});
        return;
    }
    if (error.level == XML_ERR_FATAL) {
        if (bytesRead_ == 0) {
            refuse(0, "Rinkmena tuščia.");
        } else {
            refuse(line, "Netaisyklingas XML: " + message);
        }
        return;
    }
    findings_.add({FindingKind::Schema, line, {}, {}, std::move(message)});
}

void FileChecker::start(std::string_view localName, std::string_view uri, int attributeCount,
                        const xmlChar** attributes) {
    if (findings_.refused()) {
        return;
    }
    const long here = line();
    if (scopes_.size() >= kMaxDepth) {
        static_assert(kMaxDepth == 64, "the message names the bound");
        refuse(here, "Elementai įdėti per giliai (daugiau nei 64 lygiai); tai ne i.SAF rinkmena.");
        return;
    }
    const Tag tag = uri == kIsafNamespace ? tagOf(localName) : Tag::Other;
    if (scopes_.empty() && tag != Tag::IsafFile) {
        const std::string name = uri.empty()
                                     ? std::string(localName)
                                     : "{" + std::string(uri) + "}" + std::string(localName);
        refuse(here, localName == "iSAFFile"
                         ? "Tai ne i.SAF rinkmena: elemento iSAFFile vardų sritis yra " +
                               quoted(uri) + ", o turi būti " + quoted(kIsafNamespace) + "."
                         : "Tai ne i.SAF rinkmena: šakninis elementas yra " + name +
                               ", o turi būti iSAFFile.");
        return;
    }
    const Scope scope = scopeOf(tag, scopes_.empty() ? Scope::Other : scopes_.back());
    scopes_.push_back(scope);
    names_.push_back(localName.data());
    textBytes_ = 0;
    if (scope != Scope::Value) {
        return;
    }
    fieldDepth_ = scopes_.size();
    fieldText_.clear();
    fieldLine_ = here;
    fieldNil_ = false;
    // Attributes come as (local name, prefix, URI, value start, value end).
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar** attribute = attributes + ptrdiff_t{5} * i;
        if (xmlText(attribute[0]) == "nil" && xmlText(attribute[2]) == kXsiNamespace) {
            const std::string_view nil =
                trimmed(std::string_view(reinterpret_cast<const char*>(attribute[3]),
                                         static_cast<size_t>(attribute[4] - attribute[3])));
            fieldNil_ = nil == "true" || nil == "1";
        }
    }
}

void FileChecker::end() {
    if (findings_.refused() || scopes_.empty()) {
        return;
    }
    const Scope scope = scopes_.back();
    if (scope == Scope::Value && fieldDepth_ == scopes_.size()) {
        value(field_, fieldText_, fieldNil_, fieldLine_);
    } else {
        endScope(scope);
    }
    scopes_.pop_back();
    names_.pop_back();
    textBytes_ = 0;
}

void FileChecker::text(std::string_view text) {
    if (findings_.refused()) {
        return;
    }
    textBytes_ += text.size();
    if (textBytes_ > kMaxTextBytes) {
        const std::string element = names_.empty() ? std::string() : names_.back();
        refuse(line(),
               "Elemento " + element + " tekstas ilgesnis nei 1 MiB; tai ne i.SAF rinkmena.",
               element);
        return;
    }
    if (!scopes_.empty() && scopes_.back() == Scope::Value && fieldDepth_ == scopes_.size()) {
        fieldText_ += text;
    }
}

Scope FileChecker::scopeOf(Tag tag, Scope parent) {
    const auto valueOf = [this](Field field) {
        field_ = field;
        return field == Field::None ? Scope::Other : Scope::Value;
    };
    switch (parent) {
        case Scope::Other:
            return tag == Tag::IsafFile && scopes_.empty() ? Scope::Root : Scope::Other;
        case Scope::Root:
            return tag == Tag::Header            ? Scope::Header
                   : tag == Tag::MasterFiles     ? Scope::MasterFiles
                   : tag == Tag::SourceDocuments ? Scope::SourceDocuments
                                                 : Scope::Other;
        case Scope::Header:
            return tag == Tag::FileDescription ? Scope::FileDescription : Scope::Other;
        case Scope::FileDescription:
            if (tag == Tag::SelectionCriteria) {
                return Scope::Selection;
            }
            return valueOf(tag == Tag::RegistrationNumber ? Field::PayerCode
                           : tag == Tag::PartNumber       ? Field::PartNumber
                                                          : Field::None);
        case Scope::Selection:
            return valueOf(tag == Tag::SelectionStartDate ? Field::PeriodStart
                           : tag == Tag::SelectionEndDate ? Field::PeriodEnd
                                                          : Field::None);
        case Scope::MasterFiles:
            return tag == Tag::Customers   ? Scope::Customers
                   : tag == Tag::Suppliers ? Scope::Suppliers
                                           : Scope::Other;
        case Scope::Customers:
        case Scope::Suppliers: {
            const bool customers = parent == Scope::Customers;
            if (tag != (customers ? Tag::Customer : Tag::Supplier)) {
                return Scope::Other;
            }
            counterpart_ = {};
            counterpartLine_ = line();
            return customers ? Scope::MasterCustomer : Scope::MasterSupplier;
        }
        case Scope::MasterCustomer:
        case Scope::MasterSupplier:
            return valueOf(counterpartField(tag, parent == Scope::MasterCustomer));
        case Scope::SourceDocuments:
            return tag == Tag::PurchaseInvoices ? Scope::Purchases
                   : tag == Tag::SalesInvoices  ? Scope::Sales
                                                : Scope::Other;
        case Scope::Purchases:
        case Scope::Sales:
            if (tag != Tag::Invoice) {
                return Scope::Other;
            }
            invoice_ = {};
            invoice_.side = parent == Scope::Purchases ? InvoiceSide::Purchase : InvoiceSide::Sales;
            invoice_.line = line();
            invoiceDateLine_ = 0;
            registrationDateLine_ = 0;
            counterpart_ = {};
            counterpartLine_ = invoice_.line;
            counterpartGiven_ = false;
            return Scope::Invoice;
        case Scope::Invoice: {
            const bool purchase = invoice_.side == InvoiceSide::Purchase;
            if (tag == (purchase ? Tag::SupplierInfo : Tag::CustomerInfo)) {
                counterpart_ = {};
                counterpartLine_ = line();
                return Scope::CounterpartInfo;
            }
            if (tag == Tag::DocumentTotals) {
                return Scope::Totals;
            }
            return valueOf(tag == Tag::InvoiceNo     ? Field::InvoiceNo
                           : tag == Tag::InvoiceDate ? Field::InvoiceDate
                           : tag == Tag::InvoiceType ? Field::InvoiceType
                           : tag == Tag::RegistrationAccountDate && purchase
                               ? Field::RegistrationDate
                               : Field::None);
        }
        case Scope::CounterpartInfo:
            return valueOf(counterpartField(tag, invoice_.side == InvoiceSide::Sales));
        case Scope::Totals:
            if (tag != Tag::DocumentTotal) {
                return Scope::Other;
            }
            taxLine_ = {};
            return Scope::Total;
        case Scope::Total:
            return valueOf(tag == Tag::TaxableValue    ? Field::TaxableValue
                           : tag == Tag::TaxCode       ? Field::TaxCode
                           : tag == Tag::TaxPercentage ? Field::TaxPercentage
                           : tag == Tag::Amount        ? Field::Amount
                                                       : Field::None);
        case Scope::Value:
            return Scope::Other;
    }
    return Scope::Other;
}

void FileChecker::value(Field field, std::string_view text, bool nil, long line) {
    switch (field) {
        case Field::PayerCode:
            header_.payerCode = std::string(trimmed(text));
            header_.payerCodeLine = line;
            break;
        case Field::PartNumber:
            header_.partNumber = std::string(trimmed(text));
            header_.partNumberLine = line;
            break;
        case Field::PeriodStart:
            header_.periodStart = xmlDate(text);
            header_.periodStartLine = line;
            break;
        case Field::PeriodEnd:
            header_.periodEnd = xmlDate(text);
            break;
        case Field::CounterpartId:
            counterpart_.id = text;
            break;
        case Field::VatCode:
            counterpart_.vatCode = text;
            break;
        case Field::RegistrationNumber:
            counterpart_.registrationNumber = text;
            break;
        case Field::Country:
            counterpart_.country = nil ? std::string_view() : text;
            break;
        case Field::Name:
            counterpart_.name = text;
            break;
        case Field::InvoiceNo:
            invoice_.number = text;
            break;
        case Field::InvoiceDate:
            invoice_.invoiceDate = xmlDate(text);
            invoiceDateLine_ = line;
            break;
        case Field::InvoiceType:
            invoice_.type = trimmed(text);
            break;
        case Field::RegistrationDate:
            invoice_.registrationDate = nil ? std::nullopt : xmlDate(text);
            registrationDateLine_ = line;
            break;
        case Field::TaxableValue:
            taxLine_.line.value.cents = decimalHundredths(text).value_or(0);
            break;
        case Field::TaxCode:
            taxLine_.line.code = nil ? std::string_view() : trimmed(text);
            taxLine_.codeGiven = true;
            break;
        case Field::TaxPercentage:
            taxLine_.percentageGiven = true;
            taxLine_.percentageNil = nil;
            taxLine_.percentage = trimmed(text);
            taxLine_.percentageLine = line;
            break;
        case Field::Amount:
            if (const auto cents = nil ? std::nullopt : decimalHundredths(text)) {
                taxLine_.line.vatAmount = Money{*cents};
            } else {
                taxLine_.line.vatAmount.reset();
            }
            break;
        case Field::None:
            break;
    }
}

void FileChecker::endScope(Scope scope) {
    switch (scope) {
        case Scope::MasterCustomer:
            customers_.add(std::move(counterpart_), counterpartLine_, findings_);
            break;
        case Scope::MasterSupplier:
            suppliers_.add(std::move(counterpart_), counterpartLine_, findings_);
            break;
        case Scope::CounterpartInfo:
            invoice_.counterpart =
                (invoice_.side == InvoiceSide::Purchase ? suppliers_ : customers_)
                    .add(std::move(counterpart_), counterpartLine_, findings_);
            counterpartGiven_ = true;
            break;
        case Scope::Total:
            endTaxLine();
            break;
        case Scope::Invoice:
            endInvoice();
            break;
        default:
            break;
    }
}

std::string FileChecker::invoiceLabel() const {
    return std::string(invoice_.side == InvoiceSide::Purchase ? "Pirkimo" : "Pardavimo") +
           " sąskaita " + quoted(invoice_.number);
}

// A percentage given must be the rate the program's table gives the code, 0 for a code listed
// without a rate. No percentage (nil) contradicts no code: the program itself writes none for
// the rows of its sheets without a rate, whatever their code. A code the table does not list
// is left alone.
void FileChecker::endTaxLine() {
    const std::string& code = taxLine_.line.code;
    if (taxLine_.codeGiven && taxLine_.percentageGiven && !taxLine_.percentageNil &&
        code.size() >= 4 && code.size() <= 6 && code.starts_with("PVM") &&
        allDigits(std::string_view(code).substr(3))) {
        const std::optional<std::string> listed =
            listedTaxPercentage(std::string_view(code).substr(3));
        const std::optional<long long> given = decimalHundredths(taxLine_.percentage);
        const long long rate =
            listed && !listed->empty() ? decimalHundredths(*listed).value_or(0) : 0;
        if (listed && given && *given != rate) {
            const std::string expected =
                listed->empty() ? "PVM kodui " + code + " tarifas nenurodomas"
                                : "PVM kodo " + code + " tarifas yra " + *listed + " %";
            findings_.add({FindingKind::Logical, taxLine_.percentageLine, "TaxPercentage",
                           invoice_.number,
                           invoiceLabel() + ": " + expected + ", o nurodytas " +
                               taxLine_.percentage + " %."});
        }
    }
    invoice_.taxLines.push_back(std::move(taxLine_.line));
}

void FileChecker::endInvoice() {
    if (!counterpartGiven_) {
        invoice_.counterpart = (invoice_.side == InvoiceSide::Purchase ? suppliers_ : customers_)
                                   .add({}, invoice_.line, findings_);
    }
    const bool purchase = invoice_.side == InvoiceSide::Purchase;
    const std::optional<Date>& date = purchase ? invoice_.registrationDate : invoice_.invoiceDate;
    if (date && header_.periodStart && header_.periodEnd &&
        (*date < *header_.periodStart || *date > *header_.periodEnd)) {
        findings_.add({FindingKind::Logical, purchase ? registrationDateLine_ : invoiceDateLine_,
                       purchase ? "RegistrationAccountDate" : "InvoiceDate", invoice_.number,
                       invoiceLabel() + ": " +
                           (purchase ? "įregistravimo data " : "sąskaitos data ") + date->text() +
                           " nepatenka į laikotarpį " + header_.periodStart->text() + "–" +
                           header_.periodEnd->text() + "."});
    }
    std::vector<TaxLineTotals> totals;
    totals.reserve(invoice_.taxLines.size());
    for (const TaxLine& taxLine : invoice_.taxLines) {
        totals.push_back(
            {taxLine.code, taxLine.value.cents, taxLine.vatAmount.value_or(Money{}).cents});
    }
    addInvoiceTotals(purchase ? summary_.purchases : summary_.sales, totals);
    invoices_.invoices.push_back(std::move(invoice_));
}

// A name of the form the program gives its files, "Kolvira_<code>_<yyyyMM>_<part>.xml", must
// agree with the header; other names are not checked.
void FileChecker::checkFileName() {
    const size_t slash = path_.find_last_of('/');
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    constexpr std::string_view kLead = "Kolvira_";
    constexpr std::string_view kExtension = ".xml";
    if (!name.starts_with(kLead) || !name.ends_with(kExtension)) {
        return;
    }
    const std::string_view middle =
        std::string_view(name).substr(kLead.size(), name.size() - kLead.size() - kExtension.size());
    const size_t codeEnd = middle.find('_');
    if (codeEnd == std::string_view::npos || middle.size() < codeEnd + 8 ||
        middle[codeEnd + 7] != '_') {
        return;
    }
    const std::string_view code = middle.substr(0, codeEnd);
    const std::string_view month = middle.substr(codeEnd + 1, 6);
    const std::string_view part = middle.substr(codeEnd + 8);
    if (!allDigits(code) || !allDigits(month) || !std::all_of(part.begin(), part.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        })) {
        return;
    }
    if (header_.payerCode && *header_.payerCode != code) {
        findings_.add({FindingKind::Logical,
                       header_.payerCodeLine,
                       "RegistrationNumber",
                       {},
                       "Rinkmenos pavadinime įmonės kodas " + std::string(code) +
                           ", o antraštėje (RegistrationNumber) – " + *header_.payerCode + "."});
    }
    if (header_.periodStart) {
        char headerMonth[16];
        std::snprintf(headerMonth, sizeof headerMonth, "%04d%02d", header_.periodStart->year,
                      header_.periodStart->month);
        if (month != headerMonth) {
            findings_.add({FindingKind::Logical,
                           header_.periodStartLine,
                           "SelectionStartDate",
                           {},
                           "Rinkmenos pavadinime laikotarpis " + std::string(month) +
                               ", o antraštėje laikotarpis prasideda " +
                               header_.periodStart->text() + " (SelectionStartDate)."});
        }
    }
    // The program writes PartNumber 1 for a file without a workplace name.
    const std::string_view expectedPart = part.empty() ? std::string_view("1") : part;
    if (header_.partNumber && *header_.partNumber != expectedPart) {
        findings_.add({FindingKind::Logical,
                       header_.partNumberLine,
                       "PartNumber",
                       {},
                       "Rinkmenos pavadinime dalis " + quoted(part) +
                           ", o antraštėje (PartNumber) – " + quoted(*header_.partNumber) + "."});
    }
}

std::string lineText(const CheckFinding& finding) {
    return finding.line > 0 ? "Eilutė " + std::to_string(finding.line) + ": " + finding.text
                            : finding.text;
}

}  // namespace

FileCheckResult checkIsafFile(const std::string& path, Date today) {
    return FileChecker(path, today).run();
}

std::vector<std::string> checkReportLines(const FileCheckResult& result) {
    std::vector<std::string> lines;
    const auto group = [&](FindingKind kind, const char* heading) {
        std::vector<const CheckFinding*> found;
        for (const CheckFinding& finding : result.findings) {
            if (finding.kind == kind) {
                found.push_back(&finding);
            }
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const auto* a, const auto* b) { return a->line < b->line; });
        if (!found.empty() && heading != nullptr) {
            lines.emplace_back(heading);
        }
        for (const CheckFinding* finding : found) {
            lines.push_back((heading != nullptr ? "  " : "") + lineText(*finding));
        }
    };
    group(FindingKind::NotIsaf, nullptr);
    group(FindingKind::Schema, "Schemos klaidos:");
    group(FindingKind::Logical, "Loginės klaidos:");
    group(FindingKind::Warning, "Įspėjimai:");
    if (result.notListed > 0) {
        lines.push_back("Neparodytų pastabų: " + std::to_string(result.notListed) + ".");
    }
    switch (result.outcome) {
        case CheckOutcome::Clean:
            lines.emplace_back("Klaidų ir įspėjimų nerasta.");
            break;
        case CheckOutcome::Errors:
            lines.push_back("Rasta klaidų: " + std::to_string(result.errors) +
                            (result.warnings > 0
                                 ? ", įspėjimų: " + std::to_string(result.warnings) + "."
                                 : std::string(".")));
            break;
        case CheckOutcome::WarningsOnly:
            lines.push_back("Klaidų nerasta, įspėjimų: " + std::to_string(result.warnings) + ".");
            break;
        case CheckOutcome::NotIsaf:
            lines.emplace_back("Rinkmena netikrinta: tai ne i.SAF 1.2 rinkmena arba ne XML.");
            break;
    }
    return lines;
}

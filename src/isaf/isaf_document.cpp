#include "isaf/isaf_document.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include "base/atomic_file.h"
#include "invoices/row_store.h"
#include "isaf/xml_text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
// A streamed document goes to the file in pieces of about this size.
constexpr size_t kWriteBytes = 1 << 20;

}  // namespace

IsafDocument::IsafDocument(Progress& progress) : progress_(progress), bytes_(kByteOrderMark) {}

IsafDocument::IsafDocument(Progress& progress, ReplacingFile& file)
    : progress_(progress), file_(&file), bytes_(kByteOrderMark) {
    bytes_.reserve(kWriteBytes + 4096);
}

void IsafDocument::beginLine(Lead lead) {
    bytes_.append(static_cast<size_t>(lead.spaces), ' ');
    bytes_.append(static_cast<size_t>(lead.tabs), '\t');
}

char* IsafDocument::grow(size_t size) {
    const size_t old = bytes_.size();
    bytes_.resize(old + size);
    return bytes_.data() + old;
}

bool IsafDocument::plainElement(Lead lead, std::string_view name, std::string_view value,
                                bool decimalPoint) {
    if (plainXmlTextLength(value) != value.size()) {
        return false;
    }
    beginLine(lead);
    char* at = grow(2 * name.size() + value.size() + 5);
    const auto put = [&at](std::string_view text) {
        std::memcpy(at, text.data(), text.size());
        at += text.size();
    };
    *at++ = '<';
    put(name);
    *at++ = '>';
    put(value);
    if (decimalPoint) {
        std::replace(at - value.size(), at, ',', '.');
    }
    put("</");
    put(name);
    *at = '>';
    endLine();
    return true;
}

void IsafDocument::endLine() {
    bytes_.append(kLineEnd);
    if (file_ != nullptr && bytes_.size() >= kWriteBytes) {
        finish();
    }
}

void IsafDocument::finish() {
    if (file_ != nullptr) {
        file_->write(bytes_);
        bytes_.clear();
    }
}

void IsafDocument::line(Lead lead, std::string_view markup) {
    beginLine(lead);
    bytes_.append(markup);
    endLine();
}

void IsafDocument::element(Lead lead, std::string_view name, std::string_view value) {
    if (plainElement(lead, name, value)) {
        return;
    }
    beginLine(lead);
    bytes_.append("<").append(name).append(">");
    appendXmlText(bytes_, value);
    bytes_.append("</").append(name).append(">");
    endLine();
}

void IsafDocument::nillableElement(Lead lead, std::string_view name, std::string_view value) {
    if (value.empty()) {
        beginLine(lead);
        bytes_.append("<").append(name).append(" xsi:nil=\"true\"/>");
        endLine();
    } else {
        element(lead, name, value);
    }
}

void IsafDocument::amountElement(Lead lead, std::string_view name, std::string_view amount) {
    if (!plainElement(lead, name, amount, true)) {
        element(lead, name, withDecimalPoint(std::string(amount)));
    }
}

void IsafDocument::nillableAmountElement(Lead lead, std::string_view name,
                                         std::string_view amount) {
    if (amount.empty()) {
        nillableElement(lead, name, amount);
    } else {
        amountElement(lead, name, amount);
    }
}

void IsafDocument::beginPhase(size_t total) {
    // The section caps keep every total far inside an int.
    phaseTotal_ = static_cast<int>(total);
    progress_.setProgress(0, phaseTotal_);
    progress_.setStatus("Iš viso: " + std::to_string(total));
}

void IsafDocument::stepRecord(size_t index) {
    progress_.stepProgress();
    // One text for all records: no allocation per record.
    constexpr std::string_view kPrefix = "Eksportuojame ";
    char number[24];
    const auto written = std::to_chars(number, number + sizeof number, index + 1);
    status_.assign(kPrefix).append(number, written.ptr).append(" įrašą");
    progress_.setStatus(status_);
    progress_.keepResponsive();
}

void IsafDocument::endProgress() {
    progress_.setStatus("");
    progress_.setProgress(0, phaseTotal_);
}

std::vector<std::string> IsafDocument::lines() const {
    std::vector<std::string> result;
    std::string_view rest = std::string_view(bytes_).substr(kByteOrderMark.size());
    while (!rest.empty()) {
        const size_t end = std::min(rest.find(kLineEnd), rest.size());
        result.emplace_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + kLineEnd.size(), rest.size()));
    }
    return result;
}

void RowRecord::assign(std::string_view record) {
    const std::string_view separator = InvoiceRowStore::kFieldSeparator;
    fields_.clear();
    fields_.reserve(24);  // the longest record, a purchase multi-rate one
    for (;;) {
        const size_t end = record.find(separator);
        fields_.push_back(record.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        record.remove_prefix(end + separator.size());
    }
}

std::string_view RowRecord::field(size_t n) const {
    if (n >= fields_.size()) {
        throw std::runtime_error("row record without field " + std::to_string(n));
    }
    return fields_[n];
}

std::string_view RowRecord::field(size_t n, std::string_view fallback) const {
    return n < fields_.size() ? fields_[n] : fallback;
}

std::string withDecimalPoint(std::string amount) {
    std::replace(amount.begin(), amount.end(), ',', '.');
    return amount;
}

#include "isaf/isaf_document.h"

#include <algorithm>
#include <stdexcept>

#include "import/row_store.h"
#include "isaf/xml_text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

IsafDocument::IsafDocument(RunHost& host) : host_(host), bytes_(kByteOrderMark) {}

void IsafDocument::beginLine(Lead lead) {
    bytes_.append(static_cast<size_t>(lead.spaces), ' ');
    bytes_.append(static_cast<size_t>(lead.tabs), '\t');
}

void IsafDocument::line(Lead lead, std::string_view markup) {
    beginLine(lead);
    bytes_.append(markup).append(kLineEnd);
}

void IsafDocument::element(Lead lead, std::string_view name, std::string_view value) {
    beginLine(lead);
    bytes_.append("<").append(name).append(">");
    appendXmlText(bytes_, value);
    bytes_.append("</").append(name).append(">").append(kLineEnd);
}

void IsafDocument::nillableElement(Lead lead, std::string_view name, std::string_view value) {
    if (value.empty()) {
        beginLine(lead);
        bytes_.append("<").append(name).append(" xsi:nil=\"true\"/>").append(kLineEnd);
    } else {
        element(lead, name, value);
    }
}

void IsafDocument::beginPhase(size_t total) {
    // The section caps keep every total far inside an int.
    phaseTotal_ = static_cast<int>(total);
    host_.setProgress(0, phaseTotal_);
    host_.setStatus("Iš viso: " + std::to_string(total));
}

void IsafDocument::stepRecord(size_t index) {
    host_.stepProgress();
    host_.setStatus("Eksportuojame " + std::to_string(index + 1) + " įrašą");
    host_.keepResponsive();
}

void IsafDocument::endProgress() {
    host_.setStatus("");
    host_.setProgress(0, phaseTotal_);
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

RowRecord::RowRecord(std::string_view record) {
    const std::string_view separator = InvoiceRowStore::kFieldSeparator;
    for (;;) {
        const size_t end = record.find(separator);
        fields_.emplace_back(record.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        record.remove_prefix(end + separator.size());
    }
}

const std::string& RowRecord::field(size_t n) const {
    if (n >= fields_.size()) {
        throw std::runtime_error("row record without field " + std::to_string(n));
    }
    return fields_[n];
}

std::string RowRecord::field(size_t n, std::string_view fallback) const {
    return n < fields_.size() ? fields_[n] : std::string(fallback);
}

std::string withDecimalPoint(std::string amount) {
    std::replace(amount.begin(), amount.end(), ',', '.');
    return amount;
}

#include "isaf/isaf_document.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "base/atomic_file.h"
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

bool IsafDocument::plainElement(Lead lead, std::string_view name, std::string_view value) {
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

void IsafDocument::moneyElement(Lead lead, std::string_view name, Money amount) {
    char text[Money::kMaxTextLength];
    plainElement(lead, name, std::string_view(text, amount.write(text)));
}

void IsafDocument::nillableMoneyElement(Lead lead, std::string_view name,
                                        std::optional<Money> amount) {
    if (amount) {
        moneyElement(lead, name, *amount);
    } else {
        nillableElement(lead, name, {});
    }
}

void IsafDocument::dateElement(Lead lead, std::string_view name, Date date) {
    char text[10];
    date.write(text);
    plainElement(lead, name, std::string_view(text, sizeof text));
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

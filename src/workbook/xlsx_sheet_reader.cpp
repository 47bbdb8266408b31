#include "workbook/xlsx_sheet_reader.h"

#include <atomic>
#include <charconv>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "workbook/workbook_connection.h"

namespace {

// A positive decimal number, or -1.
long parseIndex(std::string_view text) {
    long value = -1;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && value >= 0 ? value : -1;
}

// The column of a cell reference such as "AB12", or -1 when it does not start with letters.
int columnOf(std::string_view reference) {
    int column = 0;
    int letters = 0;
    for (const char c : reference) {
        int digit;
        if (c >= 'A' && c <= 'Z') {
            digit = c - 'A' + 1;
        } else if (c >= 'a' && c <= 'z') {
            digit = c - 'a' + 1;
        } else {
            break;
        }
        if (++letters > 3) {
            return -1;
        }
        column = column * 26 + digit;
    }
    return letters == 0 ? -1 : column;
}

// The row of the last cell of a range such as "A1:W1200" (or of a single cell); 0 when there
// is none.
int lastRowOf(std::string_view range) {
    const size_t colon = range.rfind(':');
    std::string_view cell = colon == std::string_view::npos ? range : range.substr(colon + 1);
    while (!cell.empty() && ((cell.front() >= 'A' && cell.front() <= 'Z') ||
                             (cell.front() >= 'a' && cell.front() <= 'z'))) {
        cell.remove_prefix(1);
    }
    const long row = parseIndex(cell);
    return row > 0 && row <= kMaxRow ? static_cast<int>(row) : 0;
}

XlsxCell::Kind kindOf(const std::string_view* type) {
    using Kind = XlsxCell::Kind;
    if (type == nullptr || *type == "n") {
        return Kind::number;
    }
    if (*type == "s") {
        return Kind::sharedString;
    }
    if (*type == "inlineStr") {
        return Kind::inlineString;
    }
    if (*type == "str") {
        return Kind::formulaString;
    }
    if (*type == "b") {
        return Kind::boolean;
    }
    if (*type == "e") {
        return Kind::error;
    }
    if (*type == "d") {
        return Kind::isoDate;
    }
    return Kind::unknown;
}

}  // namespace

// One forward pass over a worksheet part: scans up to the end of the next row and hands it over.
class XlsxSheetReader::Pass : private XmlScanHandler {
  public:
    Pass(zip_t* archive, const std::string& partName, const std::vector<bool>& dateStyles)
        : partName_(partName),
          dateStyles_(dateStyles),
          part_(archive, partName, kMaxSheetPartBytes),
          scanner_([this](char* buffer, size_t size) { return part_.read(buffer, size); }, partName,
                   *this) {}

    // The next row of the sheet, or nullptr after the last; `used` is a row the reader is done
    // with, kept for the next one. Throws WorkbookError.
    std::unique_ptr<XlsxRow> next(std::unique_ptr<XlsxRow> used) {
        if (used != nullptr) {
            spare_ = std::move(used);
        }
        while (delivered_ == nullptr && !ended_) {
            if (!scanner_.step()) {
                ended_ = true;
            }
        }
        return std::move(delivered_);
    }

    int lastRowHint() const { return lastRowHint_.load(std::memory_order_relaxed); }

  private:
    void deliver() {
        delivered_ = std::move(row_);
        row_ = std::move(spare_);
    }

    void setCapture(bool capture) { scanner_.setCapture(capture); }

    void fail(const std::string& message) const {
        throw WorkbookError("the workbook's part " + partName_ + ": " + message);
    }

    // A failure of the row being scanned: kept with it, and its other cells are skipped.
    void failRow(const std::string& message) {
        if (row_->failure.empty()) {
            row_->failure = "the workbook's part " + partName_ + ": " + message;
        }
        cell_ = nullptr;
        setCapture(false);
    }

    void startRow(const XmlAttributes& attributes);
    void startCell(const XmlAttributes& attributes);
    void startElement(std::string_view name, const XmlAttributes& attributes) override;
    void endElement(std::string_view name) override;
    void text(std::string_view piece) override;

    const std::string& partName_;
    const std::vector<bool>& dateStyles_;
    ZipPart part_;
    XmlScanner scanner_;

    std::unique_ptr<XlsxRow> row_;        // the row being scanned
    std::unique_ptr<XlsxRow> delivered_;  // the row just scanned, not yet handed over
    std::unique_ptr<XlsxRow> spare_;
    bool ended_ = false;
    bool inSheetData_ = false;
    bool inRow_ = false;
    int rowNumber_ = 0;
    int column_ = 0;
    XlsxCell* cell_ = nullptr;  // the cell being scanned, when it is kept
    bool inInlineString_ = false;
    int phoneticDepth_ = 0;
    std::atomic<int> lastRowHint_{0};  // read by the reader's thread
};

void XlsxSheetReader::Pass::startRow(const XmlAttributes& attributes) {
    if (inRow_) {
        fail("a row starts inside row " + std::to_string(rowNumber_));
    }
    const std::string_view* reference = attributes.find("r");
    const long number = reference != nullptr ? parseIndex(*reference) : rowNumber_ + 1L;
    if (number <= rowNumber_ || number > kMaxRow) {
        fail("row numbers out of order or outside the sheet at row " +
             std::to_string(rowNumber_ + 1));
    }
    rowNumber_ = static_cast<int>(number);
    inRow_ = true;
    column_ = 0;
    cell_ = nullptr;
    setCapture(false);
    if (row_ == nullptr) {
        row_ = std::make_unique<XlsxRow>();
    }
    row_->number = rowNumber_;
    row_->failure.clear();
    for (auto& cell : row_->cells) {
        cell.kind = XlsxCell::Kind::empty;
        cell.value.clear();
    }
}

void XlsxSheetReader::Pass::startCell(const XmlAttributes& attributes) {
    if (!row_->failure.empty()) {
        return;
    }
    const std::string_view* reference = nullptr;
    const std::string_view* type = nullptr;
    const std::string_view* style = nullptr;
    for (const XmlAttribute& attribute : attributes) {
        const std::string_view name = localPart(attribute.name);
        if (name == "r") {
            reference = &attribute.value;
        } else if (name == "t") {
            type = &attribute.value;
        } else if (name == "s") {
            style = &attribute.value;
        }
    }
    const int column = reference != nullptr ? columnOf(*reference) : column_ + 1;
    if (column < 0) {
        failRow("bad cell reference \"" + std::string(*reference) + "\"");
        return;
    }
    column_ = column;
    if (column < 1 || column > kMaxColumn) {
        return;
    }
    cell_ = &row_->cells[static_cast<size_t>(column - 1)];
    cell_->kind = kindOf(type);
    cell_->value.clear();
    cell_->hasFormula = false;
    const long styleIndex = style != nullptr ? parseIndex(*style) : 0;
    cell_->dateStyle = styleIndex >= 0 && static_cast<size_t>(styleIndex) < dateStyles_.size() &&
                       dateStyles_[static_cast<size_t>(styleIndex)];
}

void XlsxSheetReader::Pass::startElement(std::string_view name, const XmlAttributes& attributes) {
    const std::string_view local = localPart(name);
    if (!inSheetData_) {
        inSheetData_ = local == "sheetData";
        if (local == "dimension") {
            if (const std::string_view* range = attributes.find("ref")) {
                lastRowHint_.store(lastRowOf(*range), std::memory_order_relaxed);
            }
        }
        return;
    }
    if (local == "c") {
        if (inRow_) {
            startCell(attributes);
        }
    } else if (local == "v") {
        setCapture(cell_ != nullptr);
    } else if (local == "t") {
        setCapture(cell_ != nullptr && inInlineString_ && phoneticDepth_ == 0);
    } else if (local == "row") {
        startRow(attributes);
    } else if (local == "f") {
        if (cell_ != nullptr) {
            cell_->hasFormula = true;
        }
    } else if (local == "is") {
        inInlineString_ = true;
    } else if (local == "rPh") {
        ++phoneticDepth_;
    }
}

void XlsxSheetReader::Pass::endElement(std::string_view name) {
    if (!inSheetData_) {
        return;
    }
    const std::string_view local = localPart(name);
    if (local == "v" || local == "t") {
        setCapture(false);
    } else if (local == "c") {
        XlsxCell* cell = cell_;
        if (cell != nullptr && cell->value.empty() && cell->kind != XlsxCell::Kind::inlineString &&
            cell->kind != XlsxCell::Kind::formulaString) {
            cell->kind = cell->hasFormula ? XlsxCell::Kind::noValue : XlsxCell::Kind::empty;
        }
        cell_ = nullptr;
        setCapture(false);
        inInlineString_ = false;
        phoneticDepth_ = 0;
    } else if (local == "row") {
        if (inRow_) {
            deliver();
        }
        inRow_ = false;
        cell_ = nullptr;
        setCapture(false);  // text collection ends with every row, wherever it started
    } else if (local == "is") {
        inInlineString_ = false;
    } else if (local == "rPh") {
        --phoneticDepth_;
    } else if (local == "sheetData") {
        ended_ = true;  // nothing after the cells matters to the readers
    }
}

void XlsxSheetReader::Pass::text(std::string_view piece) {
    if (cell_ == nullptr) {
        return;  // no cell to hold it
    }
    std::string& value = cell_->value;
    if (value.size() + piece.size() > kMaxCellTextBytes) {
        failRow("a cell's text is too long in row " + std::to_string(rowNumber_));
        return;
    }
    value.append(piece);
}

// The pass on a thread of its own, handing scanned rows over in batches (a lock per row
// would cost more than the hand-over saves) and taking back the rows the reader is done with.
class XlsxSheetReader::Scan {
  public:
    Scan(zip_t* archive, const std::string& partName, const std::vector<bool>& dateStyles)
        : pass_(archive, partName, dateStyles), thread_([this] { run(); }) {}

    ~Scan() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    Scan(const Scan&) = delete;
    Scan& operator=(const Scan&) = delete;

    // The next row of the sheet, or nullptr after the last; `used` is a row the reader is done
    // with. Rethrows what stopped the pass once the rows before it have been taken.
    std::unique_ptr<XlsxRow> next(std::unique_ptr<XlsxRow> used) {
        if (used != nullptr) {
            used_.push_back(std::move(used));
        }
        if (nextTaken_ == taken_.size()) {
            taken_.clear();
            nextTaken_ = 0;
            std::unique_lock lock(mutex_);
            for (auto& row : used_) {
                returned_.push_back(std::move(row));
            }
            used_.clear();
            changed_.wait(lock, [this] { return !ready_.empty() || ended_; });
            taken_.swap(ready_);
            readyBytes_ = 0;
            lock.unlock();
            changed_.notify_all();
            if (taken_.empty()) {
                if (failure_) {
                    std::rethrow_exception(failure_);
                }
                return nullptr;
            }
        }
        return std::move(taken_[nextTaken_++]);
    }

    int lastRowHint() const { return pass_.lastRowHint(); }

  private:
    // How far the pass may run ahead: in rows, and in bytes of cell text, so that a sheet of
    // huge texts holds no more memory than one of ordinary rows.
    static constexpr size_t kBatchRows = 64;
    static constexpr size_t kBatchBytes = size_t{1} << 20;
    static constexpr size_t kMaxReadyRows = 512;
    static constexpr size_t kMaxReadyBytes = size_t{8} << 20;
    // A reused row keeps the room of its texts up to this size and gives back more.
    static constexpr size_t kKeptTextRoom = 4096;

    static size_t textBytes(const XlsxRow& row) {
        size_t bytes = row.failure.capacity();
        for (const XlsxCell& cell : row.cells) {
            bytes += cell.value.capacity();
        }
        return bytes;
    }

    void run() {
        std::vector<std::unique_ptr<XlsxRow>> batch;
        size_t batchBytes = 0;
        std::vector<std::unique_ptr<XlsxRow>> spares;
        std::exception_ptr failure;
        try {
            for (;;) {
                std::unique_ptr<XlsxRow> spare;
                if (!spares.empty()) {
                    spare = std::move(spares.back());
                    spares.pop_back();
                    for (XlsxCell& cell : spare->cells) {
                        if (cell.value.capacity() > kKeptTextRoom) {
                            std::string().swap(cell.value);
                        }
                    }
                }
                std::unique_ptr<XlsxRow> row = pass_.next(std::move(spare));
                if (row == nullptr) {
                    break;
                }
                batchBytes += textBytes(*row);
                batch.push_back(std::move(row));
                if (batch.size() == kBatchRows || batchBytes >= kBatchBytes) {
                    if (!handOver(batch, batchBytes, spares)) {
                        return;
                    }
                    batchBytes = 0;
                }
            }
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            for (auto& row : batch) {
                ready_.push_back(std::move(row));
            }
            failure_ = failure;
            ended_ = true;
        }
        changed_.notify_all();
    }

    // Adds the batch to the rows ready for the reader, waiting while enough are ready, and
    // collects the rows the reader gave back. False when the reader has gone.
    bool handOver(std::vector<std::unique_ptr<XlsxRow>>& batch, size_t batchBytes,
                  std::vector<std::unique_ptr<XlsxRow>>& spares) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] {
                return (ready_.size() < kMaxReadyRows && readyBytes_ < kMaxReadyBytes) || stop_;
            });
            if (stop_) {
                return false;
            }
            for (auto& row : batch) {
                ready_.push_back(std::move(row));
            }
            readyBytes_ += batchBytes;
            for (auto& row : returned_) {
                spares.push_back(std::move(row));
            }
            returned_.clear();
        }
        batch.clear();
        changed_.notify_all();
        return true;
    }

    Pass pass_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<XlsxRow>> ready_;     // scanned rows not yet taken, in order
    size_t readyBytes_ = 0;                           // their texts' room
    std::vector<std::unique_ptr<XlsxRow>> returned_;  // rows the reader is done with
    std::exception_ptr failure_;                      // what stopped the pass, once ended_
    bool ended_ = false;
    bool stop_ = false;

    // The reader's side alone.
    std::vector<std::unique_ptr<XlsxRow>> taken_;
    size_t nextTaken_ = 0;
    std::vector<std::unique_ptr<XlsxRow>> used_;

    std::thread thread_;  // last: starts once everything above exists
};

XlsxSheetReader::XlsxSheetReader(zip_t* archive, std::string partName,
                                 const std::vector<bool>& dateStyles)
    : archive_(archive), partName_(std::move(partName)), dateStyles_(dateStyles) {
    restart();
}

XlsxSheetReader::~XlsxSheetReader() = default;

void XlsxSheetReader::restart() {
    scan_.reset();
    scan_ = std::make_unique<Scan>(archive_, partName_, dateStyles_);
    haveCurrent_ = false;
    target_ = 0;
    ended_ = false;
}

int XlsxSheetReader::lastRowHint() const {
    return scan_ != nullptr ? scan_->lastRowHint() : 0;
}

const XlsxRow* XlsxSheetReader::row(int number) {
    if (!failure_.empty()) {
        throw WorkbookError(failure_);
    }
    try {
        if (number < target_) {
            restart();
        }
        target_ = number;
        while (!ended_ && !(haveCurrent_ && current_->number >= number)) {
            haveCurrent_ = false;  // the row goes back even when no next one comes
            current_ = scan_->next(std::move(current_));
            haveCurrent_ = current_ != nullptr;
            ended_ = !haveCurrent_;
            // Only a row a reader asks for, or the first one after it, is looked at.
            if (haveCurrent_ && current_->number >= number && !current_->failure.empty()) {
                throw WorkbookError(current_->failure);
            }
        }
    } catch (const WorkbookError& error) {
        failure_ = error.what();
        throw;
    }
    return haveCurrent_ && current_->number == number ? current_.get() : nullptr;
}

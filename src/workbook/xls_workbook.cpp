#include "workbook/xls_workbook.h"

#include <fcntl.h>
#include <freexl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/desktop_shell.h"
#include "base/text.h"
#include "workbook/workbook_limits.h"

#if defined(__SANITIZE_ADDRESS__)
#define KOLVIRA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOLVIRA_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// The child's answer: "KXLS", an outcome byte, then on success one 'S' record per sheet
// (name, readable flag), each followed by 'C' records for its non-empty cells, and a final
// 'E'. Integers are little-endian. Whatever the child sends is checked as outside input.
constexpr std::string_view kMagic = "KXLS";
enum Outcome : std::uint8_t { kOpened = 0, kNotOpened = 1, kPasswordProtected = 2 };

// Far more than the cell texts of any real invoice workbook (an .xls sheet has at most 65 536
// rows), and little enough to hold: shared strings let a small file name one long text in
// millions of cells.
constexpr std::size_t kMaxReplyBytes = std::size_t{128} << 20;
constexpr std::size_t kMaxSheetNameBytes = 1024;
// A child that sends nothing for this long is taken to hang.
constexpr int kChildSilenceMs = 60000;
// FreeXL sizes its cell tables from the file's own claims; real files need a fraction of this.
constexpr rlim_t kChildMemoryBytes = rlim_t{2} << 30;
constexpr rlim_t kChildCpuSeconds = 120;

// ---- child side -------------------------------------------------------------------------

class ReplyWriter {
  public:
    explicit ReplyWriter(int fd) : fd_(fd) {}

    void byte(std::uint8_t value) { buffer_ += static_cast<char>(value); }
    void u32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            byte(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    void text(std::string_view value) {
        u32(static_cast<std::uint32_t>(value.size()));
        buffer_ += value;
        if (buffer_.size() >= (1u << 16)) {
            flush();
        }
    }
    // Returns false when the parent no longer listens.
    bool flush() {
        size_t written = 0;
        while (written < buffer_.size()) {
            const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            written += static_cast<size_t>(n);
        }
        buffer_.clear();
        return true;
    }

  private:
    int fd_;
    std::string buffer_;
};

// An encrypted .xlsx is an OLE2 file too, holding the package in a stream of this name; FreeXL
// only finds no workbook stream in it.
bool holdsEncryptedPackage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string_view name = "EncryptedPackage";
    std::string utf16;
    for (const char c : name) {
        utf16 += c;
        utf16 += '\0';
    }
    return bytes.find(utf16) != std::string::npos;
}

// The cell's kind and text: a number as the shortest decimal that reads back to it, a date as
// FreeXL gives it ("YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS").
char cellValueText(const FreeXL_CellValue& value, std::string& text) {
    const auto number = [&text](double n) {
        char buffer[64];
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, n);
        text.assign(buffer, written.ptr);
        return 'n';
    };
    text.clear();
    switch (value.type) {
        case FREEXL_CELL_INT:
            return number(value.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return std::isfinite(value.value.double_value) ? number(value.value.double_value)
                                                           : number(0);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            text = value.value.text_value != nullptr ? value.value.text_value : "";
            return 't';
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            text = value.value.text_value != nullptr ? value.value.text_value : "";
            return 'd';
        default:
            return 't';
    }
}

void sendSheet(const void* handle, unsigned short index, ReplyWriter& out) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle, index, &name) != FREEXL_OK || name == nullptr) {
        name = "";  // keeps the index of the sheets after it; never selected
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    const bool readable = freexl_select_active_worksheet(handle, index) == FREEXL_OK &&
                          freexl_worksheet_dimensions(handle, &rows, &columns) == FREEXL_OK;
    out.byte('S');
    out.text(std::string_view(name).substr(0, kMaxSheetNameBytes));
    out.byte(readable ? std::uint8_t{1} : std::uint8_t{0});
    if (!readable) {
        return;
    }
    const auto lastRow = std::min<unsigned int>(rows, kMaxRow);
    const auto lastColumn = std::min<unsigned short>(columns, kMaxColumn);
    for (unsigned int r = 0; r < lastRow; ++r) {
        for (unsigned short c = 0; c < lastColumn; ++c) {
            FreeXL_CellValue value;
            const bool ok = freexl_get_cell_value(handle, r, c, &value) == FREEXL_OK;
            std::string text;
            const char kind = ok ? cellValueText(value, text) : 't';
            if (ok && text.empty()) {
                continue;
            }
            out.byte('C');
            out.u32(r);
            out.byte(static_cast<std::uint8_t>(c));
            out.byte(ok ? std::uint8_t{0} : std::uint8_t{1});
            out.byte(static_cast<std::uint8_t>(kind));
            out.text(std::string_view(text).substr(0, kMaxCellTextBytes + 1));
        }
    }
}

// The child's whole work; it ends with _exit, so nothing of the parent's state is torn down.
[[noreturn]] void readInChild(const std::string& path, int fd) {
#ifndef KOLVIRA_ADDRESS_SANITIZER
    const rlimit memory{kChildMemoryBytes, kChildMemoryBytes};
    setrlimit(RLIMIT_AS, &memory);
#endif
    const rlimit cpu{kChildCpuSeconds, kChildCpuSeconds};
    setrlimit(RLIMIT_CPU, &cpu);
    signal(SIGPIPE, SIG_DFL);
    // FreeXL's own faults are expected here and end only this process; their reports would
    // only look like faults of the program.
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDERR_FILENO);
    }

    ReplyWriter out(fd);
    out.text(kMagic);
    const void* handle = nullptr;
    const int status = freexl_open(path.c_str(), &handle);
    unsigned int password = 0;
    if (status != FREEXL_OK) {
        const bool encrypted =
            status == FREEXL_BIFF_WORKBOOK_NOT_FOUND && holdsEncryptedPackage(path);
        out.byte(encrypted ? kPasswordProtected : kNotOpened);
        out.u32(static_cast<std::uint32_t>(status));
    } else if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
               password == FREEXL_BIFF_OBFUSCATED) {
        out.byte(kPasswordProtected);
        out.u32(0);
    } else {
        out.byte(kOpened);
        unsigned int count = 0;
        if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
            count = 0;
        }
        for (unsigned int i = 0; i < count && i < 0xFFFF; ++i) {
            sendSheet(handle, static_cast<unsigned short>(i), out);
        }
        out.byte('E');
    }
    if (handle != nullptr) {
        freexl_close(handle);
    }
    _exit(out.flush() ? 0 : 1);
}

// ---- parent side ------------------------------------------------------------------------

// The child until it is reaped; one that is still running when the parent gives up is killed.
class Child {
  public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            wait();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Whether it ended by itself with success. A process that ignores SIGCHLD cannot learn
    // the status; the answer's end marker then tells a whole answer from a broken one.
    bool endedWell() {
        const int status = wait();
        return status < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

  private:
    int wait() {
        int status = 0;
        pid_t done = 0;
        do {
            done = waitpid(pid_, &status, 0);
        } while (done < 0 && errno == EINTR);
        pid_ = 0;
        return done < 0 ? -1 : status;
    }
    pid_t pid_;
};

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

std::string readReply(const std::string& path) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw WorkbookError("cannot start the .xls reader: " + std::string(std::strerror(errno)));
    }
    Fd readEnd(fds[0]);
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        try {
            readInChild(path, fds[1]);
        } catch (...) {
        }
        _exit(1);
    }
    ::close(fds[1]);
    if (pid < 0) {
        throw WorkbookError("cannot start the .xls reader: " + std::string(std::strerror(errno)));
    }
    Child child(pid);

    std::string reply;
    char buffer[65536];
    for (;;) {
        pollfd ready{readEnd.get(), POLLIN, 0};
        const int polled = poll(&ready, 1, kChildSilenceMs);
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            throw WorkbookError("the .xls reader stopped answering on " + path);
        }
        const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw WorkbookError("cannot read the .xls reader's answer: " +
                                std::string(std::strerror(errno)));
        }
        if (n == 0) {
            break;
        }
        if (reply.size() + static_cast<size_t>(n) > kMaxReplyBytes) {
            throw WorkbookError(path + " holds more cell text than any invoice workbook");
        }
        reply.append(buffer, static_cast<size_t>(n));
    }
    if (!child.endedWell()) {
        throw WorkbookError("the .xls reader ended abnormally on " + path);
    }
    return reply;
}

class ReplyReader {
  public:
    ReplyReader(std::string_view bytes, const std::string& path) : bytes_(bytes), path_(path) {}

    bool atEnd() const { return pos_ == bytes_.size(); }
    std::uint8_t byte() {
        need(1);
        return static_cast<std::uint8_t>(bytes_[pos_++]);
    }
    std::uint32_t u32() {
        need(4);
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= std::uint32_t{static_cast<std::uint8_t>(bytes_[pos_++])} << (8 * i);
        }
        return value;
    }
    std::string_view text(std::size_t limit) {
        const std::uint32_t length = u32();
        if (length > limit) {
            fail();
        }
        need(length);
        const std::string_view result = bytes_.substr(pos_, length);
        pos_ += length;
        return result;
    }
    [[noreturn]] void fail() const {
        throw WorkbookError("the .xls reader sent a damaged answer for " + path_);
    }

  private:
    void need(std::size_t count) const {
        if (bytes_.size() - pos_ < count) {
            fail();
        }
    }
    std::string_view bytes_;
    std::size_t pos_ = 0;
    const std::string& path_;
};

// FreeXL's date texts: "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS"; one it did not
// write so stays a text.
bool readNumbers(std::string_view text, std::initializer_list<std::pair<size_t, int*>> fields) {
    for (const auto& [pos, out] : fields) {
        if (pos + 2 > text.size()) {
            return false;
        }
        const size_t width = pos == 0 && text.size() >= 10 && text[4] == '-' ? 4 : 2;
        const char* begin = text.data() + pos;
        const auto result = std::from_chars(begin, begin + width, *out);
        if (result.ec != std::errc() || result.ptr != begin + width) {
            return false;
        }
    }
    return true;
}

void readFreexlDate(CellValue& value) {
    const std::string_view text = value.text;
    CellDateTime date;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool ok = false;
    if (text.size() == 10) {
        ok = readNumbers(text, {{0, &date.year}, {5, &date.month}, {8, &date.day}});
    } else if (text.size() >= 19) {
        ok = readNumbers(text, {{0, &date.year},
                                {5, &date.month},
                                {8, &date.day},
                                {11, &hour},
                                {14, &minute},
                                {17, &second}});
    } else {
        ok = readNumbers(text, {{0, &hour}, {3, &minute}, {6, &second}});
        if (ok && hour * 3600 + minute * 60 + second == 0) {
            date = {1899, 12, 30, 0};  // midnight of day zero shows as that day
        }
    }
    if (ok) {
        date.secondsOfDay = hour * 3600 + minute * 60 + second;
        value.kind = CellValue::Kind::date;
        value.date = date;
    }
}

}  // namespace

std::vector<XlsSheet> decodeXlsReply(std::string_view reply, const std::string& path) {
    ReplyReader in(reply, path);
    if (in.text(kMagic.size()) != kMagic) {
        in.fail();
    }
    const std::uint8_t outcome = in.byte();
    if (outcome == kPasswordProtected) {
        throw WorkbookError(path + " is protected by a password");
    }
    if (outcome == kNotOpened) {
        throw WorkbookError("cannot open " + path + " as an .xls workbook (FreeXL error " +
                            std::to_string(static_cast<std::int32_t>(in.u32())) + ")");
    }
    if (outcome != kOpened) {
        in.fail();
    }
    std::vector<XlsSheet> sheets;
    for (;;) {
        const std::uint8_t tag = in.byte();
        if (tag == 'E' && in.atEnd()) {
            return sheets;
        }
        if (tag == 'S' && sheets.size() < 0xFFFF) {
            XlsSheet& sheet = sheets.emplace_back();
            sheet.name = in.text(kMaxSheetNameBytes);
            sheet.readable = in.byte() != 0;
            continue;
        }
        if (tag != 'C' || sheets.empty() || !sheets.back().readable) {
            in.fail();
        }
        XlsSheet& sheet = sheets.back();
        XlsSheet::Cell cell;
        cell.row = in.u32();
        cell.column = in.byte();
        cell.unreadable = in.byte() != 0;
        cell.kind = static_cast<char>(in.byte());
        if (cell.kind != 't' && cell.kind != 'n' && cell.kind != 'd') {
            in.fail();
        }
        const std::string_view text = in.text(kMaxCellTextBytes + 1);
        if (text.size() > kMaxCellTextBytes) {
            throw WorkbookError("a cell of " + path + " holds a text too long for any cell");
        }
        const bool inOrder =
            sheet.cells.empty() || sheet.cells.back().row < cell.row ||
            (sheet.cells.back().row == cell.row && sheet.cells.back().column < cell.column);
        if (cell.row >= static_cast<std::uint32_t>(kMaxRow) || cell.column >= kMaxColumn ||
            !inOrder) {
            in.fail();
        }
        cell.offset = static_cast<std::uint32_t>(sheet.texts.size());
        cell.length = static_cast<std::uint32_t>(text.size());
        sheet.texts += text;
        sheet.cells.push_back(cell);
    }
}

XlsWorkbook::XlsWorkbook(std::string path) : path_(std::move(path)) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path_, error);
    if (error) {
        throw WorkbookError("cannot open " + path_ + ": " + error.message());
    }
    if (size > kMaxXlsFileBytes) {
        throw WorkbookError(path_ + " is too large for an .xls workbook");
    }
    sheets_ = decodeXlsReply(readReply(path_), path_);
}

void XlsWorkbook::selectSheet(std::string_view name) {
    if (!open_) {
        throw WorkbookError("the workbook is closed");
    }
    selected_ = nullptr;
    for (const XlsSheet& sheet : sheets_) {
        if (!sheet.name.empty() && equalsIgnoringCase(sheet.name, name)) {
            if (!sheet.readable) {
                throw WorkbookError("the sheet \"" + sheet.name + "\" cannot be read");
            }
            selected_ = &sheet;
            return;
        }
    }
    throw WorkbookError("the workbook has no sheet \"" + std::string(name) + "\"");
}

CellValue XlsWorkbook::cell(int row, int column) {
    if (selected_ == nullptr) {
        throw WorkbookError(open_ ? "no sheet selected" : "the workbook is closed");
    }
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
        throw WorkbookError("cell (" + std::to_string(row) + ", " + std::to_string(column) +
                            ") lies outside the columns that are read");
    }
    const auto r = static_cast<std::uint32_t>(row - 1);
    const auto c = static_cast<std::uint8_t>(column - 1);
    const auto& cells = selected_->cells;
    const auto found = std::lower_bound(
        cells.begin(), cells.end(), std::pair{r, c}, [](const auto& cell, auto at) {
            return cell.row < at.first || (cell.row == at.first && cell.column < at.second);
        });
    if (found == cells.end() || found->row != r || found->column != c) {
        return {};
    }
    if (found->unreadable) {
        throw WorkbookError("cell (" + std::to_string(row) + ", " + std::to_string(column) +
                            ") cannot be read");
    }
    CellValue value;
    value.kind = CellValue::Kind::text;
    value.text = std::string_view(selected_->texts).substr(found->offset, found->length);
    if (found->kind == 'n' && isWrittenNumber(value.text)) {
        value.kind = CellValue::Kind::number;
    } else if (found->kind == 'd') {
        readFreexlDate(value);
    }
    return value;
}

void XlsWorkbook::present(DesktopShell& desktop) {
    desktop.open(path_);
}

void XlsWorkbook::quit() {
    open_ = false;
    selected_ = nullptr;
    sheets_.clear();
}

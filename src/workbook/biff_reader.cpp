#include "workbook/biff_reader.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <map>

#include "base/text_codec.h"
#include "workbook/workbook_connection.h"

// The record layouts are those of the published Excel binary file format: every record is a
// 16-bit type and a 16-bit length followed by its data; the workbook globals come first, each
// worksheet is a substream from its BOF record to its EOF record, and data longer than one
// record goes on in CONTINUE records.

namespace {

enum RecordType : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kMulBlank = 0x00BE,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBiff5 = 0x0500;  // Excel 5 and 95 (BIFF7) alike
constexpr std::uint16_t kGlobalsKind = 0x0005;
constexpr std::uint16_t kWorksheetKind = 0x0010;
// The .xls grid has 65 536 rows: beyond this many kept cells a sheet must repeat cells, and
// the repeats are dropped before more are kept.
constexpr std::size_t kGridRows = 65536;

[[noreturn]] void fail(const std::string& what) {
    throw WorkbookError(what);
}

std::uint16_t u16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t u32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(u16(bytes, at)) |
           static_cast<std::uint32_t>(u16(bytes, at + 2)) << 16;
}

double f64(std::string_view bytes, std::size_t at) {
    return std::bit_cast<double>(std::uint64_t{u32(bytes, at)} | std::uint64_t{u32(bytes, at + 4)}
                                                                     << 32);
}

// An RK number: a double's high 30 bits or a 30-bit integer, perhaps to be divided by 100.
double rkValue(std::uint32_t rk) {
    double value = (rk & 2) != 0 ? static_cast<double>(static_cast<std::int32_t>(rk) >> 2)
                                 : std::bit_cast<double>(std::uint64_t{rk & ~3u} << 32);
    return (rk & 1) != 0 ? value / 100 : value;
}

struct Record {
    std::uint16_t type = 0;
    std::string_view data;
};

// The records of the workbook stream from a position on; one that runs past the stream's end
// is a fault, never cut short.
class RecordCursor {
  public:
    RecordCursor(std::string_view stream, std::size_t at) : stream_(stream), at_(at) {}

    bool atEnd() const { return at_ >= stream_.size(); }
    bool nextIs(std::uint16_t type) const {
        return stream_.size() - at_ >= 4 && u16(stream_, at_) == type;
    }
    Record next() {
        if (stream_.size() - at_ < 4) {
            fail("a record runs past the end of the workbook stream");
        }
        const std::uint16_t length = u16(stream_, at_ + 2);
        if (stream_.size() - at_ - 4 < length) {
            fail("a record runs past the end of the workbook stream");
        }
        Record record{u16(stream_, at_), stream_.substr(at_ + 4, length)};
        at_ += 4 + std::size_t{length};
        return record;
    }

  private:
    std::string_view stream_;
    std::size_t at_;
};

// A record's data, with the CONTINUE records that carry it on, read as one run of bytes except
// that the characters of a string split between two parts go on after a flags byte of their
// own (the next part may store them in the other width).
class RecordData {
  public:
    explicit RecordData(std::string_view first) { parts_.push_back(first); }

    // Takes the CONTINUE records that follow from the cursor.
    void takeContinues(RecordCursor& records) {
        while (records.nextIs(kContinue)) {
            parts_.push_back(records.next().data);
        }
    }

    bool atEnd() {
        skipEmptyParts();
        return part_ == parts_.size();
    }
    std::uint8_t u8() {
        skipEmptyParts();
        if (part_ == parts_.size()) {
            fail("a record is shorter than what it holds");
        }
        return static_cast<std::uint8_t>(parts_[part_][at_++]);
    }
    std::uint16_t u16() {
        const std::uint16_t low = u8();
        return static_cast<std::uint16_t>(low | u8() << 8);
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | std::uint32_t{u16()} << 16;
    }
    double f64() {
        const std::uint64_t low = u32();
        return std::bit_cast<double>(low | std::uint64_t{u32()} << 32);
    }
    void skip(std::uint64_t count) {
        while (count > 0) {
            skipEmptyParts();
            if (part_ == parts_.size()) {
                fail("a record is shorter than what it holds");
            }
            const std::size_t step =
                static_cast<std::size_t>(std::min<std::uint64_t>(count, left()));
            at_ += step;
            count -= step;
        }
    }
    void bytes(std::size_t count, std::string& out) {
        while (count > 0) {
            skipEmptyParts();
            if (part_ == parts_.size()) {
                fail("a record is shorter than what it holds");
            }
            const std::size_t step = std::min(count, left());
            out.append(parts_[part_].substr(at_, step));
            at_ += step;
            count -= step;
        }
    }
    // `count` characters, one byte (Latin-1) or two (UTF-16LE) wide, as UTF-8.
    void characters(std::size_t count, bool wide, std::string& out) {
        std::uint32_t highSurrogate = 0;
        while (count > 0) {
            if (at_ == parts_[part_].size()) {  // the characters go on in the next part
                ++part_;
                at_ = 0;
                wide = (u8() & 1) != 0;
                continue;
            }
            const std::size_t width = wide ? 2 : 1;
            const std::size_t take = std::min(count, left() / width);
            if (take == 0) {
                fail("a string is split inside a character");
            }
            const std::string_view run = parts_[part_].substr(at_, take * width);
            at_ += take * width;
            count -= take;
            if (!wide) {
                for (const char c : run) {
                    appendUtf8(out, static_cast<unsigned char>(c));
                }
                continue;
            }
            for (std::size_t i = 0; i < run.size(); i += 2) {
                const std::uint32_t unit = ::u16(run, i);
                if (highSurrogate != 0 && unit >= 0xDC00 && unit <= 0xDFFF) {
                    appendUtf8(out, 0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
                    highSurrogate = 0;
                    continue;
                }
                if (highSurrogate != 0) {
                    appendUtf8(out, 0xFFFD);  // a lone surrogate has no UTF-8 form
                    highSurrogate = 0;
                }
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    highSurrogate = unit;
                } else {
                    appendUtf8(out, unit >= 0xDC00 && unit <= 0xDFFF ? 0xFFFD : unit);
                }
            }
        }
        if (highSurrogate != 0) {
            appendUtf8(out, 0xFFFD);
        }
    }

  private:
    std::size_t left() const { return parts_[part_].size() - at_; }
    void skipEmptyParts() {
        while (part_ < parts_.size() && at_ == parts_[part_].size()) {
            ++part_;
            at_ = 0;
        }
    }

    std::vector<std::string_view> parts_;
    std::size_t part_ = 0;
    std::size_t at_ = 0;
};

// A BIFF8 string: character count, flags, the counts of rich-text runs and of East Asian
// phonetic data when the flags announce them, the characters, then the runs and phonetic data,
// which do not count.
std::string unicodeString(RecordData& in, bool byteCount) {
    const std::size_t count = byteCount ? in.u8() : in.u16();
    const std::uint8_t flags = in.u8();
    const std::uint16_t runs = (flags & 0x08) != 0 ? in.u16() : 0;
    const std::uint32_t phonetic = (flags & 0x04) != 0 ? in.u32() : 0;
    std::string text;
    in.characters(count, (flags & 0x01) != 0, text);
    in.skip(std::uint64_t{runs} * 4);
    in.skip(phonetic);
    return text;
}

// A BIFF5/7 string: its length and its bytes in the workbook's code page.
std::string byteString(RecordData& in, bool byteCount) {
    const std::size_t count = byteCount ? in.u8() : in.u16();
    std::string bytes;
    in.bytes(count, bytes);
    return bytes;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The iconv name of a Windows code page number as the CODEPAGE record gives it.
std::string iconvName(std::uint16_t codePage) {
    switch (codePage) {
        case 367:
            return "ASCII";
        case 10000:
        case 0x8000:  // Apple Roman, as Excel 4 and older on the Mac wrote it
            return "MACINTOSH";
        case 0x8001:
            return "CP1252";
        default:
            return "CP" + std::to_string(codePage);
    }
}

bool isCellRecord(std::uint16_t type) {
    switch (type) {
        case kFormula:
        case kMulRk:
        case kMulBlank:
        case kRString:
        case kLabelSst:
        case kBlank:
        case kNumber:
        case kLabel:
        case kBoolErr:
        case kRk:
            return true;
        default:
            return false;
    }
}

bool before(const BiffCell& a, const BiffCell& b) {
    return a.row < b.row || (a.row == b.row && a.column < b.column);
}

// Sorts by row and column; of cells given twice the later one stays, as when the file is
// opened by the spreadsheet application.
void sortCells(std::vector<BiffCell>& cells) {
    if (!std::is_sorted(cells.begin(), cells.end(), before)) {
        std::stable_sort(cells.begin(), cells.end(), before);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (kept > 0 && !before(cells[kept - 1], cells[i])) {
            cells[kept - 1] = cells[i];
        } else {
            cells[kept++] = cells[i];
        }
    }
    cells.resize(kept);
}

}  // namespace

// Byte strings of BIFF5/7 in the workbook's code page, to UTF-8.
class BiffWorkbook::Decoder {
  public:
    explicit Decoder(std::uint16_t codePage) : codePage_(codePage) {}
    ~Decoder() {
        if (open_) {
            iconv_close(handle_);
        }
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    std::string decode(std::string bytes) {
        if (isAscii(bytes)) {
            return bytes;
        }
        if (!open_) {
            handle_ = iconv_open("UTF-8", iconvName(codePage_).c_str());
            // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open reports failure so
            if (handle_ == reinterpret_cast<iconv_t>(-1)) {
                fail("the workbook's code page " + std::to_string(codePage_) + " is not known");
            }
            open_ = true;
        }
        std::string text(bytes.size() * 4, '\0');
        char* in = bytes.data();
        std::size_t inLeft = bytes.size();
        char* out = text.data();
        std::size_t outLeft = text.size();
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(handle_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
            iconv(handle_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) {
            fail("a text is not in the workbook's code page " + std::to_string(codePage_));
        }
        text.resize(text.size() - outLeft);
        return text;
    }

  private:
    std::uint16_t codePage_;
    iconv_t handle_{};
    bool open_ = false;
};

BiffWorkbook::BiffWorkbook(std::string stream, std::uint16_t maxColumn)
    : stream_(std::move(stream)), maxColumn_(maxColumn) {
    RecordCursor records(stream_, 0);
    const Record bof = records.next();
    if (bof.type != kBof || bof.data.size() < 4 || u16(bof.data, 2) != kGlobalsKind ||
        !(u16(bof.data, 0) == kBiff8 || u16(bof.data, 0) == kBiff5)) {
        fail("the workbook stream is not of Excel 5, 95 or 97 and later");
    }
    biff8_ = u16(bof.data, 0) == kBiff8;

    std::uint16_t codePage = 1252;
    std::vector<std::uint16_t> xfFormats;
    std::map<std::uint16_t, std::string> formatCodes;  // raw bytes in BIFF5/7
    std::vector<std::string> rawSheetNames;
    for (;;) {
        if (records.atEnd()) {
            fail("the workbook globals have no end");
        }
        Record record = records.next();
        if (record.type == kEof) {
            break;
        }
        RecordData data(record.data);
        switch (record.type) {
            case kFilePass:
                fail("the workbook is protected by a password");
            case kCodePage:
                codePage = data.u16();
                break;
            case kDateMode:
                dateSystem_ = data.u16() != 0 ? DateSystem::from1904 : DateSystem::from1900;
                break;
            case kXf:
                data.skip(2);
                xfFormats.push_back(data.u16());
                break;
            case kFormat: {
                const std::uint16_t id = data.u16();
                formatCodes[id] = biff8_ ? unicodeString(data, false) : byteString(data, true);
                break;
            }
            case kBoundSheet: {
                Sheet sheet;
                sheet.offset = data.u32();
                data.skip(1);  // visibility: hidden sheets are read as any other
                const std::uint8_t kind = data.u8();
                std::string name = biff8_ ? unicodeString(data, true) : byteString(data, true);
                if (kind == 0) {  // a worksheet; charts and macro sheets hold no cells to read
                    sheets_.push_back(sheet);
                    rawSheetNames.push_back(std::move(name));
                }
                break;
            }
            case kSst:
                if (biff8_) {
                    data.takeContinues(records);
                    data.skip(8);  // the counts of uses and of strings: claims, not needed
                    while (!data.atEnd()) {
                        sharedText_ += unicodeString(data, false);
                        sharedEnds_.push_back(static_cast<std::uint32_t>(sharedText_.size()));
                    }
                }
                break;
            default:
                break;
        }
    }

    decoder_ = std::make_unique<Decoder>(codePage);
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        sheets_[i].name =
            biff8_ ? std::move(rawSheetNames[i]) : decoder_->decode(std::move(rawSheetNames[i]));
    }
    dateStyles_.reserve(xfFormats.size());
    for (const std::uint16_t format : xfFormats) {
        const auto custom = formatCodes.find(format);
        if (custom == formatCodes.end()) {
            dateStyles_.push_back(isBuiltinDateFormat(format));
        } else {
            const std::string code =
                biff8_ ? custom->second : decoder_->decode(std::string(custom->second));
            dateStyles_.push_back(isDateFormatCode(code));
        }
    }
}

BiffWorkbook::~BiffWorkbook() = default;

std::unique_ptr<BiffSheet> BiffWorkbook::readSheet(const Sheet& sheet) const {
    const std::string where = "the sheet \"" + sheet.name + "\"";
    RecordCursor records(stream_, sheet.offset);
    if (records.atEnd()) {
        fail(where + " starts beyond the workbook stream");
    }
    const Record bof = records.next();
    if (bof.type != kBof || bof.data.size() < 4 || u16(bof.data, 2) != kWorksheetKind) {
        fail(where + " does not start where the workbook says");
    }

    auto result = std::make_unique<BiffSheet>();
    std::vector<BiffCell>& cells = result->cells_;
    const std::size_t compactAt = 2 * kGridRows * maxColumn_;
    // Keeps a cell of the read columns; nullptr for one further right.
    const auto keep = [&](std::uint16_t row, std::uint16_t column, std::uint16_t xf,
                          BiffCellKind kind, double number) -> BiffCell* {
        if (column >= maxColumn_) {
            return nullptr;
        }
        if (cells.size() >= compactAt) {
            sortCells(cells);
        }
        BiffCell& cell = cells.emplace_back();
        cell.row = row;
        cell.column = column;
        cell.kind = kind;
        cell.number = number;
        cell.date = kind == BiffCellKind::number && xf < dateStyles_.size() && dateStyles_[xf];
        return &cell;
    };
    const auto keepText = [&](std::uint16_t row, std::uint16_t column, std::string text) {
        if (column < maxColumn_) {
            keep(row, column, 0, BiffCellKind::text, 0)->text =
                result->texts_.emplace_back(std::move(text));
        }
    };
    const auto readText = [&](RecordData& data) {
        return biff8_ ? unicodeString(data, false) : decoder_->decode(byteString(data, false));
    };

    int depth = 0;  // inside a chart's substream embedded in the sheet
    bool awaitingString = false;
    std::size_t formulaCell = 0;  // the cell whose text the STRING record brings
    bool formulaKept = false;
    for (;;) {
        if (records.atEnd()) {
            fail(where + " has no end");
        }
        const Record record = records.next();
        if (record.type == kBof) {
            ++depth;
            continue;
        }
        if (record.type == kEof && depth > 0) {
            --depth;
            continue;
        }
        if (depth > 0) {
            continue;
        }
        if (awaitingString && (record.type == kEof || isCellRecord(record.type))) {
            fail(where + " lacks the text result of a formula");
        }
        if (record.type == kEof) {
            break;
        }
        RecordData data(record.data);
        const auto cellHead = [&](std::uint16_t& row, std::uint16_t& column, std::uint16_t& xf) {
            row = data.u16();
            column = data.u16();
            xf = data.u16();
        };
        std::uint16_t row = 0;
        std::uint16_t column = 0;
        std::uint16_t xf = 0;
        switch (record.type) {
            case kNumber:
                cellHead(row, column, xf);
                keep(row, column, xf, BiffCellKind::number, data.f64());
                break;
            case kRk:
                cellHead(row, column, xf);
                keep(row, column, xf, BiffCellKind::number, rkValue(data.u32()));
                break;
            case kMulRk: {
                row = data.u16();
                column = data.u16();
                const std::size_t size = record.data.size();
                if (size < 12 || (size - 6) % 6 != 0 ||
                    u16(record.data, size - 2) != column + (size - 6) / 6 - 1) {
                    fail(where + " holds a damaged MULRK record");
                }
                for (std::size_t i = 0; i < (size - 6) / 6; ++i) {
                    xf = data.u16();
                    keep(row, static_cast<std::uint16_t>(column + i), xf, BiffCellKind::number,
                         rkValue(data.u32()));
                }
                break;
            }
            case kLabelSst: {
                cellHead(row, column, xf);
                const std::uint32_t index = data.u32();
                if (index >= sharedEnds_.size()) {
                    fail(where + " refers to a shared string that does not exist");
                }
                const std::uint32_t begin = index == 0 ? 0 : sharedEnds_[index - 1];
                if (BiffCell* cell = keep(row, column, xf, BiffCellKind::text, 0)) {
                    cell->text =
                        std::string_view(sharedText_).substr(begin, sharedEnds_[index] - begin);
                }
                break;
            }
            case kLabel:
            case kRString:  // the text and then its rich-text runs, which do not count
                cellHead(row, column, xf);
                keepText(row, column, readText(data));
                break;
            case kBoolErr: {
                cellHead(row, column, xf);
                const std::uint8_t value = data.u8();
                const bool error = data.u8() != 0;
                keep(row, column, xf, error ? BiffCellKind::error : BiffCellKind::boolean, value);
                break;
            }
            case kFormula: {
                cellHead(row, column, xf);
                if (record.data.size() < 14) {
                    fail("a record is shorter than what it holds");
                }
                if (u16(record.data, 12) != 0xFFFF) {
                    keep(row, column, xf, BiffCellKind::number, f64(record.data, 6));
                    break;
                }
                const auto resultKind = static_cast<std::uint8_t>(record.data[6]);
                const auto value = static_cast<std::uint8_t>(record.data[8]);
                if (resultKind == 0) {  // text, in the STRING record that follows
                    awaitingString = true;
                    formulaKept = keep(row, column, xf, BiffCellKind::text, 0) != nullptr;
                    formulaCell = cells.size() - 1;
                } else if (resultKind == 1) {
                    keep(row, column, xf, BiffCellKind::boolean, value);
                } else if (resultKind == 2) {
                    keep(row, column, xf, BiffCellKind::error, value);
                } else if (resultKind == 3) {
                    keep(row, column, xf, BiffCellKind::text, 0);
                } else {
                    fail(where + " holds a formula result of an unknown kind");
                }
                break;
            }
            case kString:
                if (awaitingString) {
                    data.takeContinues(records);
                    std::string text = readText(data);
                    if (formulaKept) {
                        cells[formulaCell].text = result->texts_.emplace_back(std::move(text));
                    }
                    awaitingString = false;
                }
                break;
            default:
                break;
        }
    }

    sortCells(cells);
    cells.shrink_to_fit();
    auto& starts = result->rowStarts_;
    starts.assign(cells.empty() ? 1 : cells.back().row + 2, 0);
    for (const BiffCell& cell : cells) {
        ++starts[cell.row + 1];
    }
    for (std::size_t i = 1; i < starts.size(); ++i) {
        starts[i] += starts[i - 1];
    }
    return result;
}

const BiffCell* BiffSheet::cell(std::uint32_t row, std::uint16_t column) const {
    if (std::size_t{row} + 1 >= rowStarts_.size()) {
        return nullptr;
    }
    for (std::uint32_t i = rowStarts_[row]; i < rowStarts_[row + 1]; ++i) {
        if (cells_[i].column == column) {
            return &cells_[i];
        }
    }
    return nullptr;
}

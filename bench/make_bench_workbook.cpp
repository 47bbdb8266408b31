// Writes a large invoice workbook in the template's layout for the benchmarks: the twelve
// sheets, headings in rows 1 to 4, data from row 5, filled as a busy company fills a month.
//   make_bench_workbook OUT.xlsx [ROWS=100000] [--inline-strings] [--seed N] [--cells OUT.tsv]
//                       [--anonymous-every N] [--anonymous-with-codes]
// Every row is well filled and dated in March 2024, so kolvira-cli --from 2024-03-01
// --to 2024-03-31 reads, checks and stores every row and writes the i.SAF file. With
// --inline-strings texts are written inline, as streaming writers do. --cells also lists every
// cell (sheet, row, column, kind, value), from which make_bench_xls.py writes the same
// workbook as .xls. Every 2000th row (--anonymous-every) is a person known by name only, who
// takes an automatic number; --anonymous-with-codes gives each a personal code instead, in an
// otherwise identical workbook, so that the cost of the automatic numbers can be measured.
#include <xlsxwriter.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "invoices/code_checks.h"

namespace {

// splitmix64: the same workbook from the same seed on every machine and library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    bool percent(int p) { return below(100) < p; }
    std::string digits(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += static_cast<char>('0' + below(10));
        }
        return text;
    }
    template <class T, size_t N>
    const T& pick(const T (&items)[N]) {
        return items[static_cast<size_t>(below(static_cast<int>(N)))];
    }

  private:
    std::uint64_t state_;
};

struct SheetShare {
    const char* name;
    int percent;
    bool purchase;
    bool withVat;  // a VAT amount column before the tax code
    bool multiRate;
    int rate;  // percent; -1 for the sheets outside VAT
};

constexpr SheetShare kSheets[] = {
    {"Gau21", 30, true, true, false, 21},  {"Gau9", 5, true, true, false, 9},
    {"Gau5", 3, true, true, false, 5},     {"Gau0", 3, true, false, false, 0},
    {"Gau-", 3, true, false, false, -1},   {"GauKom", 6, true, true, true, 0},
    {"Isr21", 30, false, true, false, 21}, {"Isr9", 5, false, true, false, 9},
    {"Isr5", 3, false, true, false, 5},    {"Isr0", 3, false, false, false, 0},
    {"Isr-", 3, false, false, false, -1},  {"IsrKom", 6, false, true, true, 0},
};

struct Counterpart {
    std::string name;
    std::string vatCode;      // empty for those outside VAT
    std::string companyCode;  // company or personal code; empty for foreign ones
    std::string country;      // the country cell; mostly empty
    bool numericCode;         // the code typed into a General cell, so stored as a number
};

const char* const kWords[] = {"Šviesa",  "Ąžuolas", "Gintaras", "Vėtrungė",   "Žalgiris",
                              "Baltija", "Nemunas", "Rūta",     "Aušra",      "Versmė",
                              "Dubysa",  "Šilas",   "Čiurlys",  "Giria",      "Kregždė",
                              "Medeina", "Neris",   "Ūla",      "Saulėtekis", "Vilkas"};
const char* const kTrades[] = {"prekyba",  "statyba",   "logistika",   "baldai",   "duona",
                               "technika", "paslaugos", "transportas", "energija", "vaistai"};
const char* const kCities[] = {"Vilniaus",  "Kauno",   "Klaipėdos",    "Šiaulių",
                               "Panevėžio", "Alytaus", "Marijampolės", "Utenos"};
const char* const kFirstNames[] = {"Jonas", "Ona",      "Petras", "Aistė", "Mindaugas",
                                   "Rūta",  "Žydrūnas", "Eglė",   "Tomas", "Gintarė"};
const char* const kLastNames[] = {"Petraitis",    "Jonaitienė",     "Kazlauskas", "Žukauskaitė",
                                  "Stankevičius", "Vasiliauskienė", "Butkus",     "Šimkus"};
const char* const kForeign[][3] = {{"DE", "Holz Handel GmbH", "9"},
                                   {"PL", "Transport Sp. z o.o.", "10"},
                                   {"LV", "SIA Latvijas koks", "11"},
                                   {"EE", "OÜ Tallinna Kaubad", "9"},
                                   {"FI", "Suomen Puu Oy", "8"}};

// Lithuanian codes end in their check digit, as a real month's counterparts' codes do.
std::string withCheckDigit(const std::string& digits) {
    return digits + static_cast<char>('0' + lithuanianCheckDigit(digits));
}

Counterpart makeCounterpart(Random& random) {
    Counterpart c;
    const int kind = random.below(100);
    if (kind < 66) {  // a Lithuanian company with a VAT code
        const std::string word = random.pick(kWords);
        switch (random.below(5)) {
            case 0:
                c.name = "UAB „" + word + "“";
                break;
            case 1:
                c.name = std::string(random.pick(kCities)) + " " + random.pick(kTrades) + ", UAB";
                break;
            case 2:
                c.name = "MB „" + word + " ir partneriai“";
                break;
            case 3:
                c.name = "AB " + std::string(random.pick(kCities)) + " " + random.pick(kTrades);
                break;
            default:
                c.name = word + " & Ko, UAB";
                break;
        }
        c.companyCode = withCheckDigit("30" + random.digits(6));
        c.vatCode = "LT" + withCheckDigit(random.percent(70) ? "1" + random.digits(6) + "1"
                                                             : "1000" + random.digits(6) + "1");
        c.numericCode = random.percent(20);
        if (random.percent(90)) {
            c.country = "LT";
        }
    } else if (kind < 76) {  // a company outside VAT
        c.name = "VšĮ „" + std::string(random.pick(kWords)) + "“";
        c.companyCode = withCheckDigit("30" + random.digits(6));
        c.country = random.percent(50) ? "LT" : "";
    } else if (kind < 86) {  // a foreign company
        const auto& foreign = random.pick(kForeign);
        c.name = foreign[1];
        c.vatCode = foreign[0] + random.digits(std::atoi(foreign[2]));
        c.country = random.percent(50) ? foreign[0] : "";
    } else {  // a person with a personal code
        c.name = std::string(random.pick(kFirstNames)) + " " + random.pick(kLastNames);
        c.companyCode = withCheckDigit((random.percent(50) ? "3" : "4") + random.digits(9));
        c.country = "LT";
        c.numericCode = random.percent(30);
    }
    return c;
}

// A person known only by name: the reader gives such a counterpart an automatic number.
Counterpart anonymousPerson(Random& random) {
    return {std::string(random.pick(kFirstNames)) + " " + random.pick(kLastNames), "", "", "",
            false};
}

double cents(Random& random) {
    // Mostly tens and hundreds of euros, now and then thousands.
    const double magnitude = std::pow(10.0, 1.0 + 3.0 * random.below(1000) / 1000.0);
    return std::round(magnitude * (100 + random.below(900))) / 100.0;
}

double vatOf(double value, int rate) {
    return std::round(value * rate) / 100.0;
}

class Writer {
  public:
    Writer(lxw_workbook* book, Random& random, std::FILE* cells, long anonymousEvery,
           bool anonymousWithCodes)
        : random_(random),
          cells_(cells),
          anonymousEvery_(anonymousEvery),
          anonymousWithCodes_(anonymousWithCodes) {
        date_ = workbook_add_format(book);
        format_set_num_format(date_, "yyyy-mm-dd");
        money_ = workbook_add_format(book);
        format_set_num_format(money_, "0.00");
        // The template formats its text columns as text; cells typed there carry that style.
        text_ = workbook_add_format(book);
        format_set_num_format(text_, "@");
        for (int i = 0; i < 4000; ++i) {
            pool_.push_back(makeCounterpart(random));
        }
    }

    void writeSheet(lxw_workbook* book, const SheetShare& share, long rows) {
        sheet_ = workbook_add_worksheet(book, share.name);
        sheetName_ = share.name;
        text(0, 0, share.purchase ? "Gautos sąskaitos faktūros" : "Išrašytos sąskaitos faktūros");
        text(1, 0, "Pildykite nuo 5 eilutės, po vieną sąskaitą eilutėje.");
        text(2, 0, "Sąskaitos data");
        text(2, 1, "Sąskaitos serija ir numeris");
        text(3, 0, "A");
        text(3, 1, "B");
        for (long i = 0; i < rows; ++i) {
            writeRow(share, static_cast<lxw_row_t>(4 + i));
        }
    }

  private:
    void text(lxw_row_t row, int column, const std::string& value) {
        worksheet_write_string(sheet_, row, static_cast<lxw_col_t>(column), value.c_str(), text_);
        if (cells_ != nullptr) {
            std::fprintf(cells_, "%s\t%u\t%d\tT\t%s\n", sheetName_, row, column, value.c_str());
        }
    }
    void number(lxw_row_t row, int column, double value, lxw_format* format) {
        worksheet_write_number(sheet_, row, static_cast<lxw_col_t>(column), value, format);
        if (cells_ != nullptr) {
            std::fprintf(cells_, "%s\t%u\t%d\t%c\t%.17g\n", sheetName_, row, column,
                         format == money_ ? 'M' : 'N', value);
        }
    }
    void day(lxw_row_t row, int column, int month, int dayOfMonth) {
        lxw_datetime date{2024, month, dayOfMonth, 0, 0, 0};
        worksheet_write_datetime(sheet_, row, static_cast<lxw_col_t>(column), &date, date_);
        if (cells_ != nullptr) {
            std::fprintf(cells_, "%s\t%u\t%d\tD\t2024-%02d-%02d\n", sheetName_, row, column, month,
                         dayOfMonth);
        }
    }

    void writeRow(const SheetShare& share, lxw_row_t row) {
        ++serial_;
        const bool anonymous = anonymousEvery_ > 0 && serial_ % anonymousEvery_ == 0;
        if (anonymous) {
            anonymous_ = anonymousPerson(random_);
            if (anonymousWithCodes_) {
                char code[16];
                std::snprintf(code, sizeof code, "3%010ld", serial_);
                anonymous_.companyCode = code;
            }
        }
        const Counterpart& who = anonymous ? anonymous_ : pickCounterpart();
        int column = 0;
        // A purchase invoice of February may be registered in March.
        const bool late = share.purchase && random_.percent(10);
        const int invoiceDay = 1 + random_.below(late ? 29 : 31);
        day(row, column++, late ? 2 : 3, invoiceDay);
        text(row, column++, invoiceNumber(share));
        const int type = random_.below(100);
        const bool credit = type >= 93;
        if (type >= 10) {
            text(row, column, credit ? "KS" : type >= 91 ? "DS" : "SF");
        }
        ++column;
        if (share.purchase) {
            if (late || random_.percent(85)) {
                day(row, column, 3, late ? 1 + random_.below(31) : invoiceDay);
            }
            ++column;
        }
        if (!who.vatCode.empty()) {
            text(row, column, who.vatCode);
        }
        ++column;
        text(row, column++, who.name);
        if (!who.companyCode.empty()) {
            if (who.numericCode) {
                number(row, column, std::atof(who.companyCode.c_str()), nullptr);
            } else {
                text(row, column, who.companyCode);
            }
        }
        ++column;
        if (!who.country.empty()) {
            text(row, column, who.country);
        }
        ++column;
        const double sign = credit ? -1.0 : 1.0;
        if (share.multiRate) {
            static constexpr int kRates[] = {21, 9, 5, 0, 0};
            static const char* const kCodes[] = {"PVM1", "PVM2", "PVM3", "PVM12", "PVM13"};
            const int lines = 2 + random_.below(4);
            for (int line = 0; line < lines; ++line, column += 3) {
                const double value = sign * cents(random_);
                number(row, column, value, money_);
                number(row, column + 1, vatOf(value, kRates[line]), money_);
                text(row, column + 2, kCodes[line]);
            }
            return;
        }
        const double value = sign * cents(random_);
        number(row, column++, value, money_);
        if (share.withVat) {
            number(row, column++, vatOf(value, share.rate), money_);
            const int code = random_.below(10);
            const int n = share.rate == 21 ? 1 : share.rate == 9 ? 2 : 3;
            if (code == 0) {
                number(row, column, n, nullptr);  // typed as a bare number
            } else if (code <= 8) {
                text(row, column, "PVM" + std::to_string(n));
            }
        } else {
            static const char* const kZero[] = {"PVM12", "PVM13", "PVM14"};
            static const char* const kNone[] = {"PVM5", "PVM15", "PVM36"};
            text(row, column, share.rate == 0 ? random_.pick(kZero) : random_.pick(kNone));
        }
    }

    // Regular partners come back often; a long tail comes once or twice.
    const Counterpart& pickCounterpart() {
        const int n = static_cast<int>(pool_.size());
        const int index = random_.percent(70) ? random_.below(n / 20) : random_.below(n);
        return pool_[static_cast<size_t>(index)];
    }

    std::string invoiceNumber(const SheetShare& share) {
        if (!share.purchase) {
            char number[32];
            std::snprintf(number, sizeof number, "KV %07ld", serial_);
            return number;
        }
        static const char* const kSeries[] = {"AB-", "SF ", "EL", "PR-2024/", "VLN"};
        return random_.pick(kSeries) + std::to_string(10000 + random_.below(900000));
    }

    Random& random_;
    std::FILE* cells_;
    const char* sheetName_ = "";
    lxw_format* date_ = nullptr;
    lxw_format* money_ = nullptr;
    lxw_format* text_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    std::vector<Counterpart> pool_;
    Counterpart anonymous_;
    long serial_ = 0;
    long anonymousEvery_;
    bool anonymousWithCodes_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s OUT.xlsx [ROWS] [--inline-strings] [--seed N] [--cells OUT.tsv]\n"
                     "       [--anonymous-every N] [--anonymous-with-codes]\n",
                     argv[0]);
        return 2;
    }
    long total = 100000;
    bool inlineStrings = false;
    std::uint64_t seed = 20240301;
    std::FILE* cells = nullptr;
    long anonymousEvery = 2000;
    bool anonymousWithCodes = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--inline-strings") == 0) {
            inlineStrings = true;
        } else if (std::strcmp(argv[i], "--cells") == 0 && i + 1 < argc) {
            cells = std::fopen(argv[++i], "w");
            if (cells == nullptr) {
                std::fprintf(stderr, "cannot create %s\n", argv[i]);
                return 1;
            }
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--anonymous-every") == 0 && i + 1 < argc) {
            anonymousEvery = std::atol(argv[++i]);
        } else if (std::strcmp(argv[i], "--anonymous-with-codes") == 0) {
            anonymousWithCodes = true;
        } else {
            total = std::atol(argv[i]);
        }
    }
    lxw_workbook_options options = {};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(argv[1], &options);
    if (book == nullptr) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    Random random(seed);
    Writer writer(book, random, cells, anonymousEvery, anonymousWithCodes);
    long written = 0;
    for (const auto& share : kSheets) {
        const long rows = total * share.percent / 100;
        writer.writeSheet(book, share, rows);
        written += rows;
    }
    const lxw_error result = workbook_close(book);
    if (cells != nullptr && std::fclose(cells) != 0) {
        std::fprintf(stderr, "cannot write the cell list\n");
        return 1;
    }
    if (result != LXW_NO_ERROR) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], lxw_strerror(result));
        return 1;
    }
    std::printf("%s: %ld data rows in 12 sheets, dated 2024-03 (purchases also 2024-02)\n", argv[1],
                written);
    return 0;
}

// Writes the template workbook the user fills in ("sablonas" beside the program), and, with
// --example, the bundled example workbook: the same sheets filled with a realistic month.
//
//   kolvira-template OUTPUT.xlsx
//   kolvira-template --example OUTPUT.xlsx
#include <xlsxwriter.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "invoices/sheet_table.h"

namespace {

struct Column {
    const char* caption;
    enum Kind { Date, Text, Type, Amount, Code } kind;
    int maxLength = 0;  // for text: the i.SAF schema's limit
};

// The readers' columns, from A on. Purchase sheets have the registration date in D; sales sheets
// do not, so their columns after C move one place to the left.
std::vector<Column> columnsOf(bool purchase, bool multiRate, bool withVat) {
    std::vector<Column> columns = {
        {"Sąskaitos data", Column::Date},
        {"Sąskaitos serija ir numeris", Column::Text, 70},
        {"Tipas (SF, DS, KS, VS, VD, VK, AN)", Column::Type},
    };
    if (purchase) {
        columns.push_back({"Įregistravimo data", Column::Date});
    }
    columns.push_back({purchase ? "Tiekėjo PVM kodas" : "Pirkėjo PVM kodas", Column::Text, 35});
    columns.push_back(
        {purchase ? "Tiekėjo pavadinimas" : "Pirkėjo pavadinimas", Column::Text, 256});
    columns.push_back({"Įmonės (asmens) kodas", Column::Text, 35});
    columns.push_back({"Šalies kodas", Column::Text, 2});
    const int lines = multiRate ? 5 : 1;
    for (int line = 1; line <= lines; ++line) {
        static char captions[5][3][48];
        std::snprintf(captions[line - 1][0], sizeof captions[0][0],
                      multiRate ? "Apmokestinamoji vertė %d" : "Apmokestinamoji vertė", line);
        std::snprintf(captions[line - 1][1], sizeof captions[0][1],
                      multiRate ? "PVM suma %d" : "PVM suma", line);
        std::snprintf(captions[line - 1][2], sizeof captions[0][2],
                      multiRate ? "PVM klasifikatorius %d" : "PVM klasifikatorius", line);
        columns.push_back({captions[line - 1][0], Column::Amount});
        if (withVat || multiRate) {
            columns.push_back({captions[line - 1][1], Column::Amount});
        }
        columns.push_back({captions[line - 1][2], Column::Code});
    }
    return columns;
}

struct Sheet {
    std::string name;
    const char* title;
    bool purchase;
    bool multiRate;
    bool withVat;
};

// The sheets' titles by sheet number; their names and kinds come from the readers' table.
const char* const kTitles[] = {
    "Gautos sąskaitos faktūros, 21 % PVM",
    "Gautos sąskaitos faktūros, 9 % PVM",
    "Gautos sąskaitos faktūros, 5 % PVM",
    "Gautos sąskaitos faktūros, 0 % PVM",
    "Gautos sąskaitos faktūros, neapmokestinamos PVM",
    "Gautos sąskaitos faktūros su keliais PVM tarifais",
    "Išrašytos sąskaitos faktūros, 21 % PVM",
    "Išrašytos sąskaitos faktūros, 9 % PVM",
    "Išrašytos sąskaitos faktūros, 5 % PVM",
    "Išrašytos sąskaitos faktūros, 0 % PVM",
    "Išrašytos sąskaitos faktūros, neapmokestinamos PVM",
    "Išrašytos sąskaitos faktūros su keliais PVM tarifais",
};

Sheet sheetOf(int number) {
    const SheetKind& kind = sheetKind(number);
    return {std::string(sheetName(number)), kTitles[number - 1], isPurchaseSheet(number),
            kind.multiRate, kind.hasVatAmount};
}

constexpr int kFirstDataIndex = kFirstDataRow - 1;  // 0-based
constexpr int kLastValidatedRow = 20000;

std::string columnLetter(int column) {
    std::string letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

void validate(lxw_worksheet* sheet, int column, const Column& layout) {
    lxw_data_validation rule{};
    static const char* kTypes[] = {"SF", "DS", "KS", "VS", "VD", "VK", "AN", nullptr};
    switch (layout.kind) {
        case Column::Date:
            rule.validate = LXW_VALIDATION_TYPE_DATE;
            rule.criteria = LXW_VALIDATION_CRITERIA_BETWEEN;
            rule.minimum_datetime = {2016, 7, 1, 0, 0, 0};
            rule.maximum_datetime = {2100, 1, 1, 0, 0, 0};
            rule.input_message = const_cast<char*>("Data, pvz. 2024-01-31");
            rule.error_message = const_cast<char*>("Įveskite datą nuo 2016-07-01 iki 2100-01-01.");
            break;
        case Column::Type:
            rule.validate = LXW_VALIDATION_TYPE_LIST;
            rule.value_list = const_cast<char**>(kTypes);
            rule.input_message = const_cast<char*>("Tuščia reiškia SF");
            break;
        case Column::Amount:
            rule.validate = LXW_VALIDATION_TYPE_DECIMAL;
            rule.criteria = LXW_VALIDATION_CRITERIA_BETWEEN;
            rule.minimum_number = -999999999999.99;
            rule.maximum_number = 999999999999.99;
            rule.error_message = const_cast<char*>("Įveskite sumą skaičiumi.");
            break;
        case Column::Text:
            rule.validate = LXW_VALIDATION_TYPE_LENGTH;
            rule.criteria = LXW_VALIDATION_CRITERIA_LESS_THAN_OR_EQUAL_TO;
            rule.value_number = layout.maxLength;
            rule.error_message = const_cast<char*>("Per ilgas tekstas.");
            break;
        case Column::Code:
            rule.validate = LXW_VALIDATION_TYPE_LENGTH;
            rule.criteria = LXW_VALIDATION_CRITERIA_LESS_THAN_OR_EQUAL_TO;
            rule.value_number = 6;
            rule.input_message = const_cast<char*>("PVM1, PVM2 ... arba tik skaičius");
            break;
    }
    worksheet_data_validation_range(sheet, kFirstDataIndex, static_cast<lxw_col_t>(column),
                                    kLastValidatedRow, static_cast<lxw_col_t>(column), &rule);
}

// One invoice row of the example, by column captions' order.
struct ExampleRow {
    const char* sheet;
    std::vector<const char*> cells;  // "" leaves a cell empty; dates as yyyy-mm-dd
};

// November 2026 for a small trading company: every sheet, a multi-rate invoice each side, a
// foreign counterpart and a credit note.
const ExampleRow kExample[] = {
    {"Gau21",
     {"2026-11-03", "AB-10234", "SF", "", "LT100001234510", "UAB „Medienos prekyba“", "300001233",
      "", "1250.00", "262.50", ""}},
    {"Gau21",
     {"2026-11-17", "EL 5521", "", "2026-11-18", "LT100004567815", "UAB Elektra ir Ko", "300456786",
      "", "84.30", "17.70", ""}},
    {"Gau21",
     {"2026-11-20", "KR-7", "KS", "", "LT100001234510", "UAB „Medienos prekyba“", "300001233", "",
      "-150.00", "-31.50", ""}},
    {"Gau21",
     {"2026-10-28", "DE-2026-4411", "SF", "2026-11-02", "DE811234567", "Holz Handel GmbH", "", "DE",
      "980.00", "205.80", "PVM1"}},
    {"Gau9",
     {"2026-11-05", "SP-0087", "SF", "", "LT100009876518", "Leidykla „Knyga“", "302987650", "",
      "420.00", "37.80", ""}},
    {"Gau5",
     {"2026-11-12", "VAIS-19", "SF", "", "LT100005550019", "UAB Vaistinė", "305550008", "", "60.00",
      "3.00", ""}},
    {"Gau0",
     {"2026-11-08", "EXP-3", "SF", "", "PL5261040828", "Transport Sp. z o.o.", "", "PL", "700.00",
      "PVM12"}},
    {"Gau-",
     {"2026-11-25", "NR-55", "SF", "", "", "Jonas Jonaitis", "38001010009", "LT", "95.00",
      "PVM25"}},
    {"GauKom",
     {"2026-11-14",
      "MIX-101",
      "SF",
      "",
      "LT100007770017",
      "UAB Prekių centras",
      "307770003",
      "",
      "500.00",
      "105.00",
      "PVM1",
      "200.00",
      "18.00",
      "PVM2",
      "",
      "",
      "",
      "",
      "",
      "",
      "",
      "",
      ""}},
    {"Isr21",
     {"2026-11-02", "KV 000451", "SF", "LT100002223319", "UAB Statybos darbai", "302223332", "",
      "3200.00", "672.00", ""}},
    {"Isr21", {"2026-11-09", "KV 000452", "SF", "", "Ona Onaitė", "", "", "41.32", "8.68", ""}},
    {"Isr21",
     {"2026-11-27", "KV 000453", "KS", "LT100002223319", "UAB Statybos darbai", "302223332", "",
      "-200.00", "-42.00", ""}},
    {"Isr9",
     {"2026-11-10", "KV 000454", "SF", "LT100003334417", "UAB Šildymas", "303334442", "", "800.00",
      "72.00", ""}},
    {"Isr5",
     {"2026-11-11", "KV 000455", "SF", "", "Petras Petraitis", "39002020001", "", "120.00", "6.00",
      ""}},
    {"Isr0",
     {"2026-11-19", "KV 000456", "SF", "LV40003012345", "SIA Latvijas koks", "", "LV", "5400.00",
      "PVM13"}},
    {"Isr-",
     {"2026-11-21", "KV 000457", "SF", "", "VšĮ Sporto klubas", "304445552", "", "150.00",
      "PVM31"}},
    {"IsrKom",
     {"2026-11-24",
      "KV 000458",
      "SF",
      "LT100006667711",
      "UAB Maisto tinklas",
      "306667772",
      "",
      "1000.00",
      "210.00",
      "PVM1",
      "300.00",
      "27.00",
      "PVM2",
      "80.00",
      "4.00",
      "PVM3",
      "",
      "",
      "",
      "",
      "",
      ""}},
};

void writeExample(lxw_worksheet* sheet, const Sheet& layout, lxw_format* dateFormat,
                  lxw_format* amountFormat) {
    const auto columns = columnsOf(layout.purchase, layout.multiRate, layout.withVat);
    int row = kFirstDataIndex;
    for (const ExampleRow& example : kExample) {
        if (layout.name != example.sheet) {
            continue;
        }
        for (size_t c = 0; c < example.cells.size() && c < columns.size(); ++c) {
            const char* cell = example.cells[c];
            if (*cell == '\0') {
                continue;
            }
            const auto column = static_cast<lxw_col_t>(c);
            if (columns[c].kind == Column::Date) {
                lxw_datetime date{};
                std::sscanf(cell, "%d-%d-%d", &date.year, &date.month, &date.day);
                worksheet_write_datetime(sheet, static_cast<lxw_row_t>(row), column, &date,
                                         dateFormat);
            } else if (columns[c].kind == Column::Amount) {
                worksheet_write_number(sheet, static_cast<lxw_row_t>(row), column,
                                       std::strtod(cell, nullptr), amountFormat);
            } else {
                worksheet_write_string(sheet, static_cast<lxw_row_t>(row), column, cell, nullptr);
            }
        }
        ++row;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool example = argc == 3 && std::strcmp(argv[1], "--example") == 0;
    if (!(argc == 2 || example)) {
        std::fprintf(stderr, "usage: %s [--example] OUTPUT.xlsx\n", argv[0]);
        return 2;
    }
    const char* output = argv[argc - 1];
    lxw_workbook* workbook = workbook_new(output);
    if (workbook == nullptr) {
        std::fprintf(stderr, "cannot create %s\n", output);
        return 1;
    }
    lxw_format* title = workbook_add_format(workbook);
    format_set_bold(title);
    format_set_font_size(title, 14);
    lxw_format* caption = workbook_add_format(workbook);
    format_set_bold(caption);
    format_set_text_wrap(caption);
    format_set_align(caption, LXW_ALIGN_VERTICAL_TOP);
    format_set_bg_color(caption, 0xFFF2CC);
    format_set_border(caption, LXW_BORDER_THIN);
    lxw_format* letter = workbook_add_format(workbook);
    format_set_align(letter, LXW_ALIGN_CENTER);
    format_set_font_color(letter, 0x808080);
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy-mm-dd");
    lxw_format* amountFormat = workbook_add_format(workbook);
    format_set_num_format(amountFormat, "0.00");
    lxw_format* textFormat = workbook_add_format(workbook);
    format_set_num_format(textFormat, "@");

    for (int number = 1; number <= static_cast<int>(kSheetNames.size()); ++number) {
        const Sheet layout = sheetOf(number);
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, layout.name.c_str());
        const auto columns = columnsOf(layout.purchase, layout.multiRate, layout.withVat);
        worksheet_write_string(sheet, 0, 0, layout.title, title);
        worksheet_write_string(sheet, 1, 0,
                               "Pildykite nuo 5 eilutės, po vieną sąskaitą eilutėje. Pirmasis "
                               "stulpelis (data) baigia sąrašą: trys tuščios eilutės iš eilės.",
                               nullptr);
        worksheet_set_row(sheet, 2, 45, nullptr);
        for (size_t c = 0; c < columns.size(); ++c) {
            const auto column = static_cast<lxw_col_t>(c);
            worksheet_write_string(sheet, 2, column, columns[c].caption, caption);
            worksheet_write_string(sheet, 3, column, columnLetter(static_cast<int>(c)).c_str(),
                                   letter);
            lxw_format* format = columns[c].kind == Column::Date     ? dateFormat
                                 : columns[c].kind == Column::Amount ? amountFormat
                                                                     : textFormat;
            const double width =
                columns[c].kind == Column::Text && columns[c].maxLength > 35 ? 32 : 16;
            worksheet_set_column(sheet, column, column, width, format);
            validate(sheet, static_cast<int>(c), columns[c]);
        }
        worksheet_freeze_panes(sheet, kFirstDataIndex, 0);
        if (example) {
            writeExample(sheet, layout, dateFormat, amountFormat);
        }
    }
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        std::fprintf(stderr, "cannot write %s: %s\n", output, lxw_strerror(error));
        return 1;
    }
    return 0;
}

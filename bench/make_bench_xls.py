#!/usr/bin/python3
"""Writes the benchmark workbook as .xls (BIFF8, with xlwt) from the cell list that
make_bench_workbook --cells writes:

    make_bench_xls.py CELLS.tsv OUT.xls

An .xls sheet holds at most 65 536 rows, so this serves workbooks of up to about 200 000 rows.
Run with Debian's /usr/bin/python3 (python3-xlwt).
"""
import datetime
import sys

import xlwt

SHEETS = ["Gau21", "Gau9", "Gau5", "Gau0", "Gau-", "GauKom",
          "Isr21", "Isr9", "Isr5", "Isr0", "Isr-", "IsrKom"]


def main(cells_path, out_path):
    book = xlwt.Workbook(encoding="utf-8")
    sheets = {name: book.add_sheet(name) for name in SHEETS}
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    money_style = xlwt.easyxf(num_format_str="0.00")
    text_style = xlwt.easyxf(num_format_str="@")
    plain_style = xlwt.Style.default_style
    with open(cells_path, encoding="utf-8") as cells:
        for line in cells:
            name, row, column, kind, value = line.rstrip("\n").split("\t", 4)
            sheet = sheets[name]
            row, column = int(row), int(column)
            if kind == "T":
                sheet.write(row, column, value, text_style)
            elif kind == "D":
                day = datetime.date(*map(int, value.split("-")))
                sheet.write(row, column, day, date_style)
            else:
                sheet.write(row, column, float(value), money_style if kind == "M" else plain_style)
    book.save(out_path)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])

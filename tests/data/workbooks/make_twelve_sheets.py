#!/usr/bin/python3
"""Writes twelve_sheets.xls: a BIFF8 workbook written by xlwt with the twelve sheets of the
template and one purchase row of January 2024 on "Gau21", for the end-to-end runs of .xls files.
Run with Debian's /usr/bin/python3 (python3-xlwt) from this folder."""
import datetime

import xlwt

SHEETS = ["Gau21", "Gau9", "Gau5", "Gau0", "Gau-", "GauKom",
          "Isr21", "Isr9", "Isr5", "Isr0", "Isr-", "IsrKom"]

book = xlwt.Workbook(encoding="utf-8")
for name in SHEETS:
    sheet = book.add_sheet(name)
    if name == "Gau21":
        sheet.write(4, 0, datetime.date(2024, 1, 15), xlwt.easyxf(num_format_str="yyyy-mm-dd"))
        for column, value in [(1, "SF-5"), (2, "SF"), (4, "LT100000001"), (5, "UAB Medis"),
                              (6, "100000001"), (7, "LT"), (8, 100), (9, 21), (10, "PVM1")]:
            sheet.write(4, column, value)
book.save("twelve_sheets.xls")

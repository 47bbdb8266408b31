#!/usr/bin/python3
"""Writes the small committed workbooks the workbook access tests read.

basic.xls: a BIFF8 workbook written by xlwt (sheets "Gau21" and "Išrašai").
encrypted.xlsx: the shape of a password-protected .xlsx, an OLE2 compound file holding the
  streams "EncryptionInfo" and "EncryptedPackage" (empty here; only the shape matters).
Run with Debian's /usr/bin/python3 (python3-xlwt) from this folder.
"""
import datetime
import struct

import xlwt


def basic_xls():
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Gau21")
    sheet.write(4, 0, datetime.date(2023, 1, 15), xlwt.easyxf(num_format_str="yyyy-mm-dd"))
    sheet.write(4, 1, "SF-001")
    sheet.write(4, 5, "UAB „Šviesa“")
    sheet.write(4, 8, 1234.5)
    sheet.write(4, 9, 0.1 + 0.2)
    sheet.write(4, 10, 5)
    sheet.write(4, 11, datetime.datetime(2023, 1, 15, 13, 5, 7),
                xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss"))
    sheet.write(6, 0, "after a gap")
    book.add_sheet("Išrašai").write(4, 0, "lower")
    book.save("basic.xls")


def directory_entry(name, kind, child=0xFFFFFFFF, right=0xFFFFFFFF):
    encoded = (name + "\0").encode("utf-16-le") if name else b""
    return (encoded.ljust(64, b"\0") + struct.pack("<HBB", len(encoded), kind, 1)
            + struct.pack("<III", 0xFFFFFFFF, right, child) + b"\0" * 16 + b"\0" * 4
            + b"\0" * 16 + struct.pack("<IQ", 0xFFFFFFFE, 0))


def encrypted_package():
    header = (bytes.fromhex("D0CF11E0A1B11AE1") + b"\0" * 16
              + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
              + struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
              + struct.pack("<I", 0) + b"\xff" * (109 * 4 - 4))
    fat = struct.pack("<II", 0xFFFFFFFD, 0xFFFFFFFE).ljust(512, b"\xff")
    directory = (directory_entry("Root Entry", 5, child=1)
                 + directory_entry("EncryptionInfo", 2, right=2)
                 + directory_entry("EncryptedPackage", 2) + directory_entry("", 0))
    with open("encrypted.xlsx", "wb") as out:
        out.write(header + fat + directory)


basic_xls()
encrypted_package()

#!/usr/bin/python3
"""Writes the hand-made seeds of corpus/workbook: one-sheet packages stored without
compression, so that mutations reach the XML instead of breaking the deflate stream."""
import struct
import zipfile

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"
ROWS = (
    '<row r="5"><c r="A5" s="1"><v>44941</v></c><c r="B5" t="s"><v>0</v></c>'
    '<c r="C5" t="inlineStr"><is><r><t>in_x000D_</t></r><rPh><t>p</t></rPh></is></c>'
    '<c r="D5" s="2"><v>0.5</v></c><c r="E5" t="str"><f>A1</f><v>t</v></c>'
    '<c r="F5" t="b"><v>1</v></c><c r="G5" t="e"><v>#N/A</v></c><c r="H5" t="d">'
    '<v>2023-01-15T10:00:00</v></c><c r="I5"><f>1</f></c><c r="W5"><v>1E300</v></c>'
    '<c r="X5"><v>1</v></c></row><row><c><v>-1.5</v></c><c t="s"><v>1</v></c></row>'
    '<row r="9" spans="1:23"/>')


def nested(depth, inner=""):
    return "<a>" * depth + inner + "</a>" * depth


def package(name, sheet_rows, date1904=False, **replaced):
    parts = {
        "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/'
                               'content-types"><Default Extension="xml" ContentType="application/xml"/></Types>',
        "_rels/.rels": f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" Type="{REL}/'
                       'officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml": f'<workbook xmlns="{MAIN}" xmlns:r="{REL}">'
                           + ('<workbookPr date1904="1"/>' if date1904 else '')
                           + '<sheets><sheet name="Gau21" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels": f'<Relationships xmlns="{PKG}">'
            f'<Relationship Id="rId1" Type="{REL}/worksheet" Target="/xl/worksheets/sheet1.xml"/>'
            f'<Relationship Id="rId2" Type="{REL}/styles" Target="styles.xml"/>'
            f'<Relationship Id="rId3" Type="{REL}/sharedStrings" Target="sharedStrings.xml"/>'
            '</Relationships>',
        "xl/styles.xml": f'<styleSheet xmlns="{MAIN}"><numFmts><numFmt numFmtId="164" '
                         'formatCode="[$-409]yyyy\\-mm\\-dd;@"/></numFmts><cellXfs><xf numFmtId="0"/>'
                         '<xf numFmtId="14"/><xf numFmtId="164"/></cellXfs></styleSheet>',
        "xl/sharedStrings.xml": f'<sst xmlns="{MAIN}"><si><t>first</t></si><si><r><t>a</t></r>'
                                '<r><t>b</t></r></si></sst>',
        "xl/worksheets/sheet1.xml": f'<worksheet xmlns="{MAIN}"><sheetData>{sheet_rows}'
                                    '</sheetData></worksheet>',
    }
    for part, text in replaced.items():
        parts[{"rels": "_rels/.rels", "styles": "xl/styles.xml",
               "shared": "xl/sharedStrings.xml"}[part]] = text
    with zipfile.ZipFile(name, "w", zipfile.ZIP_STORED) as out:
        for part, text in parts.items():
            out.writestr(part, text)


package("corpus/workbook/cell-kinds-stored.xlsx", ROWS)
package("corpus/workbook/date1904-stored.xlsx", '<row r="5"><c s="2"><v>1</v></c></row>', True)
# Nesting deeper than any workbook (refused past 32 levels) in the parts read by expat and by
# the sheet scanner, nesting just within the bound, and a row inside a cell's value and text.
package("corpus/workbook/nested-rels-stored.xlsx", ROWS,
        rels=f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" Type="{REL}/officeDocument" '
             f'Target="xl/workbook.xml"/>{nested(40)}</Relationships>')
package("corpus/workbook/nested-sheet-stored.xlsx", ROWS + nested(40, '<row r="12"/>'))
package("corpus/workbook/nested-styles-stored.xlsx", ROWS,
        styles=f'<styleSheet xmlns="{MAIN}"><cellXfs><xf numFmtId="14"/></cellXfs><extLst>'
               f'{nested(29)}</extLst></styleSheet>',
        shared=f'<sst xmlns="{MAIN}"><si><t>first</t></si>{nested(40)}</sst>')
package("corpus/workbook/row-in-cell-stored.xlsx",
        '<row r="5"><c r="A5"><v>1<row r="6"/>2</v></c><c r="B5" t="inlineStr"><is><t>x'
        '<row r="7"></row>y</t></is></c></row><row r="8"><c><v>3</v></c></row>')


# .xls seeds: small hand-made workbook streams in a compound file, mostly in the mini stream,
# so that mutations reach the records; and the same with a looping chain and a lying SST.
def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def record(kind, data=b""):
    return u16(kind) + u16(len(data)) + data


def cell(kind, row, column, rest, xf=0):
    return record(kind, u16(row) + u16(column) + u16(xf) + rest)


def narrow(text):
    return u16(len(text)) + b"\0" + text.encode("latin-1")


def wide(text):
    data = text.encode("utf-16-le")
    return u16(len(data) // 2) + b"\1" + data


def workbook_stream(biff8, globals_, sheets):
    version = 0x0600 if biff8 else 0x0500
    bof = lambda kind: record(0x0809, u16(version) + u16(kind) + b"\0" * (12 if biff8 else 4))
    name_field = lambda name: bytes([len(name)]) + (b"\0" if biff8 else b"") + name
    head = bof(5) + globals_
    offset = len(head) + sum(len(record(0x85, b"\0" * 6 + name_field(n))) for n, _ in sheets) + 4
    body = b""
    for name, cells in sheets:
        head += record(0x85, u32(offset + len(body)) + b"\0\0" + name_field(name))
        body += bof(0x10) + cells + record(0x0A)
    return head + record(0x0A) + body


def compound(name, stream, mini):
    """A version 3 compound file: FAT, directory, then the mini FAT and mini stream, or the
    stream padded to the cutoff in ordinary sectors."""
    end, free = 0xFFFFFFFE, 0xFFFFFFFF
    pad = lambda data, size: data + b"\0" * (-len(data) % size)
    if mini:
        mini_sectors = (len(stream) + 63) // 64
        minifat = pad(b"".join(u32(i + 1 if i + 1 < mini_sectors else end)
                               for i in range(mini_sectors)), 512)
        blobs = [minifat, pad(stream, 512)]
        size = len(stream)
    else:
        stream = stream.ljust(4096, b"\0")
        blobs = [pad(stream, 512)]
        size = len(stream)
    fat = [0xFFFFFFFD, end]  # the FAT itself, the directory
    starts = []
    for blob in blobs:
        count = len(blob) // 512
        starts.append(len(fat))
        fat += [len(fat) + i + 1 if i + 1 < count else end for i in range(count)]
    fat_bytes = b"".join(u32(e) for e in fat).ljust(512, b"\xff")

    def entry(entry_name, kind, child, start, length):
        encoded = (entry_name + "\0").encode("utf-16-le")
        return (encoded.ljust(64, b"\0") + u16(len(encoded)) + bytes([kind, 1]) + u32(free)
                + u32(free) + u32(child) + b"\0" * 36 + u32(start) + u32(length) + u32(0))

    root = entry("Root Entry", 5, 1, starts[1] if mini else end, len(blobs[1]) if mini else 0)
    directory = (root + entry(name, 2, free, 0 if mini else starts[0], size)).ljust(512, b"\0")
    header = (bytes.fromhex("D0CF11E0A1B11AE1") + b"\0" * 16 + u16(0x3E) + u16(3) + u16(0xFFFE)
              + u16(9) + u16(6) + b"\0" * 10 + u32(1) + u32(1) + u32(0) + u32(4096)
              + u32(starts[0] if mini else end) + u32(1 if mini else 0) + u32(end) + u32(0)
              + u32(0) + b"\xff" * 432)
    return header + fat_bytes + directory + b"".join(blobs)


def every_kind_stream():
    rk = lambda value: u32(value)
    sst = (record(0xFC, u32(3) + u32(3) + narrow("SF-1") + u16(10) + b"\0" + b"UAB ")
           + record(0x3C, b"\1" + "Šviesa".encode("utf-16-le") + u16(2) + b"\x0C" + u16(1)
                    + u32(2) + b"ab")
           + record(0x3C, u32(0) + b"xy"))
    formats = (record(0x41E, u16(164) + narrow("yyyy\\-mm\\-dd")) + record(0xE0, b"\0" * 20)
               + record(0xE0, u16(0) + u16(14) + b"\0" * 16)
               + record(0xE0, u16(0) + u16(164) + b"\0" * 16))
    other = lambda kind, value: bytes([kind, 0, value, 0, 0, 0]) + u16(0xFFFF)
    formula = lambda row, column, result, xf=0: cell(6, row, column, result + b"\0" * 8, xf)
    cells = (cell(0x203, 4, 0, struct.pack("<d", 45306), 1) + cell(0xFD, 4, 1, u32(0))
             + cell(0x27E, 4, 2, rk((5 << 2) | 2)) + cell(0xFD, 4, 5, u32(1))
             + cell(0xBD, 4, 8, rk((12345 << 2) | 3) + u16(0)
                    + rk(0x3FE00000) + u16(9))
             + cell(0x205, 4, 10, b"\1\0") + formula(5, 0, struct.pack("<d", 45307), 2)
             + formula(5, 1, other(0, 0)) + record(0x207, narrow("SF-2"))
             + formula(5, 2, other(1, 1)) + formula(5, 3, other(3, 0))
             + formula(5, 8, other(2, 7)) + cell(0x204, 6, 1, wide("Žalia"))
             + cell(0xD6, 6, 5, wide("UAB Ąžuolas") + u16(1) + u32(0))
             + cell(0x201, 65535, 255, b"") + cell(0xFD, 7, 1, u32(2)))
    return workbook_stream(True, record(0x42, u16(1200)) + record(0x22, u16(0)) + formats + sst,
                           [(b"Gau21", cells), (b"Isr21", cell(0xFD, 4, 1, u32(0)))])


def biff7_stream():
    text = lambda data: u16(len(data)) + data
    cells = (cell(0x204, 4, 1, text("UAB Ąžuolas".encode("cp1257")))
             + cell(0xD6, 4, 5, text("Šilas".encode("cp1257")) + b"\1" + u16(0))
             + cell(0x203, 4, 0, struct.pack("<d", 44000), 1)
             + cell(6, 4, 2, bytes([0, 0, 0, 0, 0, 0]) + u16(0xFFFF) + b"\0" * 8)
             + record(0x207, text("čęė".encode("cp1257"))))
    globals_ = (record(0x42, u16(1257)) + record(0x22, u16(1))
                + record(0x41E, u16(164) + bytes([10]) + b"yyyy-mm-dd") + record(0xE0, b"\0" * 16)
                + record(0xE0, u16(0) + u16(164) + b"\0" * 12))
    return workbook_stream(False, globals_, [("Išrašai".encode("cp1257"), b""), (b"Gau21", cells)])


def xls_seeds():
    def write(name, data):
        with open("corpus/workbook/" + name, "wb") as out:
            out.write(data)
    write("every-kind-mini.xls", compound("Workbook", every_kind_stream(), True))
    write("biff7-cp1257-mini.xls", compound("Book", biff7_stream(), True))
    looping = bytearray(compound("Workbook", every_kind_stream(), False))
    looping[512 + 4 * 5: 512 + 4 * 6] = u32(3)  # the stream's fourth sector leads back to its second
    write("chain-loop.xls", bytes(looping))
    lying = every_kind_stream().replace(u32(3) + u32(3) + narrow("SF-1"),
                                        u32(0xFFFFFFFF) + u32(0xFFFFFFFF) + narrow("SF-1"))
    write("lying-sst.xls", compound("Workbook", lying, True))


xls_seeds()

#!/usr/bin/python3
"""Writes the hand-made seeds of corpus/workbook: one-sheet packages stored without
compression, so that mutations reach the XML instead of breaking the deflate stream."""
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

#!/usr/bin/python3
"""Writes the workbooks of the .xls producer test and saves each as .xls with the programs
that write such files, so that the test reads what real producers write:

  example.xlsx   the bundled example (examples/Kolvira_pavyzdys.xlsx) without its data
                 validations, which only make every producer's file a hundred times larger
  special.xlsx   the 1904 date system; formulas with saved results (dates, text, numbers,
                 booleans), rich text, booleans, Lithuanian letters
  error.xlsx     a read cell holding a formula's error value (#DIV/0!)

and for each NAME of them:

  NAME-lo.xls          LibreOffice Calc (soffice --convert-to xls): BIFF8
  NAME-gnumeric8.xls   Gnumeric (ssconvert): BIFF8
  NAME-gnumeric7.xls   Gnumeric (ssconvert) as Excel 95 (BIFF7) with the Lithuanian code page
                       1257 (WINDOWS_LANGUAGE=lt), so its texts are bytes of that code page

Needs Debian's libreoffice-calc and gnumeric; run with /usr/bin/python3 from this folder.
The files it writes are committed, so the tests need neither program.
"""
import datetime
import os
import re
import shutil
import subprocess
import tempfile
import zipfile
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE = os.path.join(HERE, "..", "..", "..", "examples", "Kolvira_pavyzdys.xlsx")
SHEETS = ["Gau21", "Gau9", "Gau5", "Gau0", "Gau-", "GauKom",
          "Isr21", "Isr9", "Isr5", "Isr0", "Isr-", "IsrKom"]
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"
DATE, AMOUNT, TEXT = 1, 2, 3  # cell formats of styles.xml


def serial(day, date1904):
    return (day - datetime.date(1904 if date1904 else 1899, 1 if date1904 else 12,
                                1 if date1904 else 30)).days


class Sheet:
    """The cells of one sheet as <c> elements, by row."""

    def __init__(self):
        self.rows = {}

    def put(self, ref, xml):
        row = int(re.sub(r"^[A-Z]+", "", ref))
        self.rows.setdefault(row, []).append(xml.replace("REF", ref))
        return self

    def text(self, ref, value):  # an inline string
        return self.put(ref, f'<c r="REF" t="inlineStr" s="{TEXT}"><is><t>{escape(value)}</t></is></c>')

    def shared(self, ref, index):
        return self.put(ref, f'<c r="REF" t="s"><v>{index}</v></c>')

    def number(self, ref, value, style=AMOUNT):
        return self.put(ref, f'<c r="REF" s="{style}"><v>{value}</v></c>')

    def formula(self, ref, formula, value, kind="", style=0):
        kind = f' t="{kind}"' if kind else ""
        return self.put(ref, f'<c r="REF"{kind} s="{style}"><f>{escape(formula)}</f>'
                             f'<v>{escape(str(value))}</v></c>')

    def boolean(self, ref, value):
        return self.put(ref, f'<c r="REF" t="b"><v>{1 if value else 0}</v></c>')

    def xml(self):
        rows = "".join(f'<row r="{row}">{"".join(cells)}</row>' for row, cells in sorted(self.rows.items()))
        return f'<worksheet xmlns="{MAIN}"><sheetData>{rows}</sheetData></worksheet>'


def write_package(path, sheets, shared_strings, date1904):
    parts = {
        "[Content_Types].xml":
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>'
            '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
            + "".join(f'<Override PartName="/xl/worksheets/sheet{i + 1}.xml" ContentType="application/'
                      'vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>' for i in range(len(SHEETS)))
            + '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>'
            '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
            '</Types>',
        "_rels/.rels": f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" Type="{REL}/officeDocument" '
                       'Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml": f'<workbook xmlns="{MAIN}" xmlns:r="{REL}">'
                           + (f'<workbookPr date1904="1"/>' if date1904 else "")
                           + "<sheets>" + "".join(f'<sheet name="{name}" sheetId="{i + 1}" r:id="rId{i + 1}"/>'
                                                  for i, name in enumerate(SHEETS))
                           + "</sheets></workbook>",
        "xl/_rels/workbook.xml.rels":
            f'<Relationships xmlns="{PKG}">'
            + "".join(f'<Relationship Id="rId{i + 1}" Type="{REL}/worksheet" Target="worksheets/sheet{i + 1}.xml"/>'
                      for i in range(len(SHEETS)))
            + f'<Relationship Id="rId100" Type="{REL}/styles" Target="styles.xml"/>'
            f'<Relationship Id="rId101" Type="{REL}/sharedStrings" Target="sharedStrings.xml"/>'
            "</Relationships>",
        "xl/styles.xml":
            f'<styleSheet xmlns="{MAIN}"><numFmts><numFmt numFmtId="164" formatCode="yyyy\\-mm\\-dd"/>'
            '<numFmt numFmtId="165" formatCode="0.00"/></numFmts>'
            '<fonts><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><name val="Calibri"/></font></fonts>'
            '<fills><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>'
            '<borders><border/></borders><cellStyleXfs><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
            '<cellXfs><xf numFmtId="0"/><xf numFmtId="164" applyNumberFormat="1"/>'
            '<xf numFmtId="165" applyNumberFormat="1"/><xf numFmtId="49" applyNumberFormat="1"/></cellXfs>'
            "</styleSheet>",
        "xl/sharedStrings.xml": f'<sst xmlns="{MAIN}">' + "".join(shared_strings) + "</sst>",
    }
    for i, name in enumerate(SHEETS):
        parts[f"xl/worksheets/sheet{i + 1}.xml"] = sheets.get(name, Sheet()).xml()
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as out:
        for name, text in parts.items():
            out.writestr(name, text)


def special(path):
    d = lambda day: serial(datetime.date(2026, 11, day), True)
    rich = ('<si><r><rPr><b/></rPr><t xml:space="preserve">UAB </t></r>'
            '<r><t>„Ąžuolų giria“</t></r></si>')
    rich_sales = ('<si><r><t xml:space="preserve">Šilo </t></r><r><rPr><i/></rPr><t>ūkis</t></r>'
                  '<r><t xml:space="preserve"> ir čiobrelių žėrutis</t></r></si>')
    gau = (Sheet()
           # Formulas with saved results: a date, a text, numbers; a rich-text name.
           .formula("A5", "DATE(2026,11,3)", d(3), style=DATE).formula("B5", '"AB-"&"10234"', "AB-10234", "str")
           .text("C5", "SF").text("E5", "LT100001234567").shared("F5", 0).text("G5", "300001234")
           .formula("I5", "ROUND(1000*1.25,2)", 1250, style=AMOUNT)
           .formula("J5", "ROUND(I5*0.21,2)", 262.5, style=AMOUNT)
           # A date and a registration date as a formula of it; a code as a number cell.
           .number("A6", d(17), DATE).text("B6", "EL 5521").formula("D6", "A6+1", d(18), style=DATE)
           .text("E6", "LT100004567891").text("F6", "Čiurlionio ūkis, „Šešėlių“ žvėrynas")
           .number("G6", 300456789, 0).number("I6", 84.3).number("J6", 17.7)
           # Booleans: constants and formulas, read as their text.
           .number("A7", d(20), DATE).boolean("B7", True).text("C7", "KS")
           .text("E7", "LT100001234567").formula("F7", "1=1", "1", "b").text("G7", "300001234")
           .number("I7", -150).number("J7", -31.5))
    isr = (Sheet()
           .formula("A5", "DATE(2026,11,2)+0.5", d(2) + 0.5, style=DATE).text("B5", "KV 000451")
           .text("C5", "SF").text("D5", "LT100002223334").shared("E5", 1).text("F5", "302223334")
           .formula("H5", "3200", 3200, style=AMOUNT).formula("I5", "H5*0.21", 672, style=AMOUNT)
           .number("A6", d(9), DATE).text("B6", "KV 000452").boolean("E6", False)
           .formula("H6", "41.32", 41.32, style=AMOUNT).number("I6", 8.68))
    write_package(path, {"Gau21": gau, "Isr21": isr}, [rich, rich_sales], True)


def error(path):
    gau = (Sheet().number("A5", serial(datetime.date(2026, 11, 3), False), DATE).text("B5", "AB-1")
           .text("C5", "SF").text("F5", "UAB Medis").formula("I5", "1/0", "#DIV/0!", "e", AMOUNT))
    write_package(path, {"Gau21": gau}, [], False)


def example(path):
    with zipfile.ZipFile(EXAMPLE) as source, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as out:
        for item in source.infolist():
            data = source.read(item.filename)
            if item.filename.startswith("xl/worksheets/"):
                data = re.sub(rb"<dataValidations.*?</dataValidations>", b"", data, flags=re.S)
            out.writestr(item, data)


def main():
    os.chdir(HERE)
    example("example.xlsx")
    special("special.xlsx")
    error("error.xlsx")
    with tempfile.TemporaryDirectory() as work:
        profile = "-env:UserInstallation=file://" + os.path.join(work, "profile")
        for name in ["example", "special", "error"]:
            subprocess.run(["soffice", profile, "--headless", "--convert-to", "xls", "--outdir", work,
                            name + ".xlsx"], check=True, stdout=subprocess.DEVNULL)
            shutil.move(os.path.join(work, name + ".xls"), name + "-lo.xls")
            subprocess.run(["ssconvert", "-T", "Gnumeric_Excel:excel_biff8", name + ".xlsx",
                            name + "-gnumeric8.xls"], check=True)
            subprocess.run(["ssconvert", "-T", "Gnumeric_Excel:excel_biff7", name + ".xlsx",
                            name + "-gnumeric7.xls"], check=True,
                           env=dict(os.environ, WINDOWS_LANGUAGE="lt"))


if __name__ == "__main__":
    main()

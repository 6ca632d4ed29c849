#!/usr/bin/python3
"""Reads the sample documents written by export_tests back with independent
programs (Python's csv module, html5lib, unrtf, LibreOffice, gnumeric's
ssconvert, xlrd) and compares every cell with the cells the test wrote down
beside them. Each sample was written under the code page it names."""
import csv
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from decimal import Decimal

import html5lib
import xlrd

FOLDER = os.path.join(os.environ.get("TABULORIN_SCRATCH_HOST", ""), "export-readback")
failures = []


def fail(sample, message):
    failures.append("%s: %s" % (sample, message))


def code_page(text, codec):
    """What a document kept in the code page holds: '?' for the rest."""
    return text.encode(codec, errors="replace").decode(codec)


def shortest_fixed(value):
    text = format(Decimal(repr(value)), "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return text


def stored_as_number(text):
    """The writer's rule: a plain decimal whose value writes back as the text."""
    if not re.fullmatch(r"-?\d+(\.\d+)?", text):
        return False
    value = float(text)
    return not (value == 0 and text.startswith("-")) and shortest_fixed(value) == text


def as_float(text):
    try:
        return float(text)
    except ValueError:
        return None


def compare(sample, got, expected, numeric=None, sheet=False):
    """numeric(text) tells when a cell may come back as an equal number; a
    sheet (read through a spreadsheet program) has no empty rows at its end."""
    width = max([len(r) for r in expected] + [0])
    got = [list(r) + [""] * (width - len(r)) for r in got]
    if sheet:
        got, expected = (rows[:max([i + 1 for i, r in enumerate(rows) if any(r)] + [0])] for rows in (got, expected))
    if len(got) != len(expected):
        fail(sample, "%d rows read, %d expected: %r" % (len(got), len(expected), got))
        return
    for r, (g_row, e_row) in enumerate(zip(got, expected)):
        if len(g_row) != len(e_row):
            fail(sample, "row %d has %d cells, %d expected: %r" % (r, len(g_row), len(e_row), g_row))
            continue
        for c, (g, e) in enumerate(zip(g_row, e_row)):
            # numeric(e) holds only for texts that are numbers, so as_float(e) is never None there.
            if g != e and not (numeric and numeric(e) and as_float(g) == as_float(e)):
                fail(sample, "row %d, cell %d: %r read, %r expected" % (r, c, g, e))


def csv_rows(text, **kw):
    return list(csv.reader(io.StringIO(text, newline=""), **kw))


def table_rows(html_text):
    """The texts of the cells of every table row of an HTML document."""
    doc = html5lib.parse(html_text, namespaceHTMLElements=False)
    return [["" if t == "\xa0" else t for t in ("".join(td.itertext()) for td in tr if td.tag in ("td", "th"))]
            for tr in doc.iter("tr")]


def run(*command):
    done = subprocess.run(command, capture_output=True, timeout=60)
    if done.returncode != 0:
        raise RuntimeError("%s failed: %s" % (command[0], done.stderr.decode(errors="replace")))
    return done.stdout


def ssconvert_rows(path):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out.csv")
        run("ssconvert", "-T", "Gnumeric_stf:stf_csv", path, out)
        return csv_rows(open(out, encoding="utf-8").read())


def xlrd_rows(label, path, want, codec):
    """The cells as texts; numbers must come back as numbers and texts as texts."""
    book = xlrd.open_workbook(path)
    if book.encoding != codec:
        fail(label, "code page %r" % book.encoding)
    sheet = book.sheet_by_index(0)
    got = []
    for r in range(sheet.nrows):
        got.append([])
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            is_number = cell.ctype == xlrd.XL_CELL_NUMBER
            is_text = cell.ctype in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK)
            got[-1].append(shortest_fixed(cell.value) if is_number
                           else cell.value if is_text else "<type %d>" % cell.ctype)
            if r < len(want) and c < len(want[r]) and is_number != stored_as_number(want[r][c]):
                fail(label, "row %d, cell %d (%r): number %s" % (r, c, want[r][c], is_number))
    return got


ODF_TABLE = "{urn:oasis:names:tc:opendocument:xmlns:table:1.0}"
ODF_TEXT = "{urn:oasis:names:tc:opendocument:xmlns:text:1.0}"


def odf_paragraph(p):
    """A paragraph's text, its blanks, tabs and line breaks as written."""
    out = [p.text or ""]
    for child in p:
        if child.tag == ODF_TEXT + "s":
            out.append(" " * int(child.get(ODF_TEXT + "c", "1")))
        elif child.tag == ODF_TEXT + "tab":
            out.append("\t")
        elif child.tag == ODF_TEXT + "line-break":
            out.append("\n")
        else:
            out.append(odf_paragraph(child))
        out.append(child.tail or "")
    return "".join(out)


def libreoffice_rows(paths):
    """The table cells of each document as LibreOffice reads it (one start for all)."""
    with tempfile.TemporaryDirectory() as tmp:
        # Copies named apart: sample.RTF and sample.DOC would both become sample.fodt.
        copies = [os.path.join(tmp, "d%d.rtf" % i) for i in range(len(paths))]
        for path, copy in zip(paths, copies):
            shutil.copyfile(path, copy)
        run("soffice", "-env:UserInstallation=file://" + os.path.join(tmp, "profile"), "--headless",
            "--convert-to", "fodt", "--outdir", tmp, *copies)
        result = {}
        for path, copy in zip(paths, copies):
            root = ET.parse(os.path.splitext(copy)[0] + ".fodt").getroot()
            result[path] = [["\n".join(odf_paragraph(p) for p in cell.iter(ODF_TEXT + "p"))
                             for cell in row.findall(ODF_TABLE + "table-cell")]
                            for row in root.iter(ODF_TABLE + "table-row")]
        return result


def check(sample, office):
    name, fmt, expected = sample["file"], sample["format"], sample["rows"]
    codec = "cp%d" % sample.get("codepage", 1252)
    charset = {"cp1252": b"windows-1252", "cp932": b"shift_jis"}[codec]
    path = os.path.join(FOLDER, name)
    label = "%s (%s, %s)" % (name, fmt, codec)
    data = open(path, "rb").read()
    bom = data.startswith(b"\xef\xbb\xbf")
    # Every character in the code page: the document is in the code page, and HTML says so.
    if fmt.endswith("-ansi") and (bom or (fmt == "html-ansi" and b"charset=" + charset not in data)):
        fail(label, "not written in the code page")
    fmt = fmt.replace("-ansi", "")
    text = lambda: data[3:].decode("utf-8") if bom else data.decode(codec)
    kept = [[code_page(c, codec) for c in row] for row in expected]
    if fmt == "csv":
        compare(label, csv_rows(text()), expected)
    elif fmt == "tab":
        compare(label, csv_rows(text(), delimiter="\t", quoting=csv.QUOTE_NONE), expected)
    elif fmt == "html":
        compare(label, table_rows(data), expected)  # the parser finds the character set itself
    elif fmt == "rtf":
        compare(label, table_rows(run("unrtf", "--html", path).decode("utf-8")), expected)
        compare(label + " via LibreOffice", office[path], expected)
    elif fmt == "sylk":
        compare(label + " via ssconvert", ssconvert_rows(path), kept, sheet=True)
    elif fmt == "dif":
        # gnumeric reads a DIF text that looks like a number as that number.
        compare(label + " via ssconvert", ssconvert_rows(path), kept, numeric=lambda t: as_float(t) is not None,
                sheet=True)
    elif fmt == "xls":
        want = [[c[:255] for c in row] for row in kept]
        compare(label + " via xlrd", xlrd_rows(label, path, want, codec), want)
        # Gnumeric takes the labels of this version in code page 1252, whatever
        # the file's CODEPAGE record says.
        if codec == "cp1252":
            compare(label + " via ssconvert", ssconvert_rows(path), want, numeric=stored_as_number, sheet=True)
    else:
        fail(label, "unknown format")


def main():
    names = ("expected-formats.json", "expected-small.json", "expected-dbcs.json")
    files = [f for f in names if os.path.exists(os.path.join(FOLDER, f))]
    if len(files) != len(names):
        print("samples missing in %s (run export_tests and export_dbcs first)" % FOLDER)
        return 1
    samples = [s for f in files for s in json.load(open(os.path.join(FOLDER, f), encoding="utf-8"))["samples"]]
    try:
        office = libreoffice_rows([os.path.join(FOLDER, s["file"]) for s in samples if s["format"] == "rtf"])
    except Exception as error:
        fail("LibreOffice", "%s: %s" % (type(error).__name__, error))
        office = {}
    count = 0
    for sample in samples:
        try:
            check(sample, office)
        except Exception as error:  # a reader that fails is a failed sample
            fail(sample["file"], "%s: %s" % (type(error).__name__, error))
        count += 1
    for line in failures:
        print("FAIL " + line)
    print("%d samples read back, %d failures" % (count, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Reads the sample documents written by export_tests back with independent
programs (Python's csv module, html5lib, unrtf, gnumeric's ssconvert, xlrd) and
compares every cell with the cells the test wrote down beside them."""
import csv
import io
import json
import os
import re
import subprocess
import sys
import tempfile
from decimal import Decimal

import html5lib
import xlrd

FOLDER = os.path.join(os.environ.get("TABULORIN_SCRATCH_HOST", ""), "export-readback")
failures = []


def fail(sample, message):
    failures.append("%s: %s" % (sample, message))


def code_page(text):
    """What a document kept in the code page (1252) holds: '?' for the rest."""
    return text.encode("cp1252", errors="replace").decode("cp1252")


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
        expected = list(expected)
        while expected and not any(expected[-1]):
            expected.pop()
        while got and not any(got[-1]):
            got.pop()
    if len(got) != len(expected):
        fail(sample, "%d rows read, %d expected: %r" % (len(got), len(expected), got))
        return
    for r, (g_row, e_row) in enumerate(zip(got, expected)):
        if len(g_row) != len(e_row):
            fail(sample, "row %d has %d cells, %d expected: %r" % (r, len(g_row), len(e_row), g_row))
            continue
        for c, (g, e) in enumerate(zip(g_row, e_row)):
            if g == e:
                continue
            if numeric and numeric(e) and as_float(g) is not None and as_float(g) == as_float(e):
                continue
            fail(sample, "row %d, cell %d: %r read, %r expected" % (r, c, g, e))


def read_text(path):
    data = open(path, "rb").read()
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8"), "utf-8"
    return data.decode("cp1252"), "cp1252"


def csv_rows(text, **kw):
    return list(csv.reader(io.StringIO(text, newline=""), **kw))


def table_rows(html_text):
    """The texts of the cells of every table row of an HTML document."""
    doc = html5lib.parse(html_text, namespaceHTMLElements=False)
    rows = []
    for tr in doc.iter("tr"):
        cells = []
        for td in tr:
            if td.tag not in ("td", "th"):
                continue
            text = "".join(td.itertext())
            cells.append("" if text == "\xa0" else text)
        rows.append(cells)
    return rows


# Readers may loop on a broken record stream: the records are checked first.
FIXED_LENGTHS = {0x0000: 8, 0x0001: 7, 0x0002: 9, 0x0003: 15, 0x0005: 9, 0x0009: 4, 0x000A: 0, 0x0012: 2,
                 0x0024: 4, 0x0026: 8, 0x0027: 8, 0x0028: 8, 0x0029: 8, 0x0042: 2, 0x0043: 4}
COUNTED_LENGTHS = {0x0004: (7, 8), 0x0014: (0, 1), 0x0015: (0, 1), 0x0031: (4, 5)}


def sheet_records_problem(data):
    """None when every record has its kind's length and EOF ends the stream."""
    at, code = 0, None
    while at + 4 <= len(data):
        code, length = int.from_bytes(data[at:at + 2], "little"), int.from_bytes(data[at + 2:at + 4], "little")
        body = data[at + 4:at + 4 + length]
        if len(body) != length:
            return "record %#06x at %d runs past the end" % (code, at)
        if code in COUNTED_LENGTHS:
            where, fixed = COUNTED_LENGTHS[code]
            want = fixed + body[where] if length > where else None
        else:
            want = FIXED_LENGTHS.get(code)
        if want != length:
            return "record %#06x at %d has length %d" % (code, at, length)
        at += 4 + length
    if at != len(data) or code != 0x000A:
        return "the stream does not end with its EOF record"
    return None


def ssconvert_rows(path):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out.csv")
        run = subprocess.run(["ssconvert", "-T", "Gnumeric_stf:stf_csv", path, out],
                             capture_output=True, text=True, timeout=60)
        if run.returncode != 0 or not os.path.exists(out):
            raise RuntimeError("ssconvert failed: " + run.stderr)
        return csv_rows(open(out, encoding="utf-8").read())


def check(sample):
    name, fmt, expected = sample["file"], sample["format"], sample["rows"]
    path = os.path.join(FOLDER, name)
    label = "%s (%s)" % (name, fmt)
    if fmt in ("csv", "csv-ansi"):
        text, encoding = read_text(path)
        if fmt == "csv-ansi" and encoding != "cp1252":
            fail(label, "written in %s, the code page was expected" % encoding)
        compare(label, csv_rows(text), expected)
    elif fmt == "tab":
        text, _ = read_text(path)
        compare(label, csv_rows(text, delimiter="\t", quoting=csv.QUOTE_NONE), expected)
    elif fmt in ("html", "html-ansi"):
        data = open(path, "rb").read()
        # The parser finds the character set itself (mark or META).
        doc_rows = table_rows(data)
        if fmt == "html-ansi" and (data.startswith(b"\xef\xbb\xbf") or b"charset=windows-1252" not in data):
            fail(label, "not written in the code page")
        compare(label, doc_rows, expected)
    elif fmt == "rtf":
        run = subprocess.run(["unrtf", "--html", path], capture_output=True, timeout=60)
        if run.returncode != 0:
            fail(label, "unrtf failed: " + run.stderr.decode(errors="replace"))
            return
        compare(label, table_rows(run.stdout.decode("utf-8")), expected)
    elif fmt in ("sylk", "sylk-numbered"):
        compare(label + " via ssconvert", ssconvert_rows(path),
                [[code_page(c) for c in row] for row in expected], sheet=True)
    elif fmt == "dif":
        # gnumeric reads a DIF text that looks like a number as that number.
        compare(label + " via ssconvert", ssconvert_rows(path),
                [[code_page(c) for c in row] for row in expected],
                numeric=lambda text: as_float(text) is not None, sheet=True)
    elif fmt == "xls":
        want = [[code_page(c)[:255] for c in row] for row in expected]
        problem = sheet_records_problem(open(path, "rb").read())
        if problem:
            fail(label, problem)
            return
        book = xlrd.open_workbook(path)
        if book.encoding != "cp1252":
            fail(label, "code page %r" % book.encoding)
        sheet = book.sheet_by_index(0)
        got = []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_NUMBER:
                    row.append(shortest_fixed(cell.value))
                elif cell.ctype in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    row.append(cell.value)
                else:
                    row.append("<type %d>" % cell.ctype)
            got.append(row)
        # Numbers come back as numbers and texts as texts: compare the types too.
        for r, row in enumerate(want):
            for c, text in enumerate(row):
                if r < sheet.nrows and c < sheet.ncols:
                    is_number = sheet.cell(r, c).ctype == xlrd.XL_CELL_NUMBER
                    if is_number != stored_as_number(text):
                        fail(label, "row %d, cell %d (%r): number %s" % (r, c, text, is_number))
        compare(label + " via xlrd", got, want)
        compare(label + " via ssconvert", ssconvert_rows(path), want, numeric=stored_as_number, sheet=True)
    else:
        fail(label, "unknown format")


def main():
    files = [f for f in ("expected-formats.json", "expected-small.json")
             if os.path.exists(os.path.join(FOLDER, f))]
    if len(files) != 2:
        print("samples missing in %s (run export_tests first)" % FOLDER)
        return 1
    count = 0
    for f in files:
        for sample in json.load(open(os.path.join(FOLDER, f), encoding="utf-8"))["samples"]:
            try:
                check(sample)
            except Exception as error:  # a reader that fails is a failed sample
                fail(sample["file"], "%s: %s" % (type(error).__name__, error))
            count += 1
    for line in failures:
        print("FAIL " + line)
    print("%d samples read back, %d failures" % (count, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

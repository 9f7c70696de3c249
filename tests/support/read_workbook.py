"""Prints a workbook's first sheet as JSON: every cell as [kind, value], read with openpyxl.

kind is "str", "number", "date" (value in ISO form), "bool" or "empty"; "sheets" lists the
sheet names. Used by the tests to read back what the program wrote, independently of it.
"""
import datetime
import json
import sys

import openpyxl


def cell(value):
    if value is None:
        return ["empty", None]
    if isinstance(value, bool):
        return ["bool", value]
    if isinstance(value, (int, float)):
        return ["number", value]
    if isinstance(value, (datetime.datetime, datetime.date)):
        return ["date", value.isoformat()]
    return ["str", str(value)]


def main(path):
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    rows = [[cell(c.value) for c in row] for row in sheet.iter_rows()]
    json.dump({"sheets": book.sheetnames, "rows": rows}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])

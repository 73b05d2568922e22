#!/usr/bin/python3
"""Reads a design-flood workbook back, independently of the program that wrote it, and prints
it as JSON: the sheet names, every row of every sheet, and the number of series in the chart
part.
Usage: design_flood_readback.py <workbook.xlsx>"""
import json
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

NS = {"c": "http://schemas.openxmlformats.org/drawingml/2006/chart"}

path = sys.argv[1]
book = openpyxl.load_workbook(path)
out = {"sheets": book.sheetnames}
for name in book.sheetnames:
    out[name] = [[c for c in row] for row in book[name].iter_rows(values_only=True)]
with zipfile.ZipFile(path) as z:
    charts = [n for n in z.namelist() if n.startswith("xl/charts/chart")]
    out["charts"] = len(charts)
    out["series"] = 0
    if charts:
        root = ET.fromstring(z.read(charts[0]))
        out["series"] = len(root.findall("c:chart/c:plotArea/c:lineChart/c:ser", NS))
json.dump(out, sys.stdout, ensure_ascii=False, default=str)

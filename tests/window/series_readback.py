#!/usr/bin/python3
"""Reads a series workbook back, independently of the program that wrote it, and prints it as
JSON: the sheet names, every row of "Pasmo" and "Realizacje", the rows of "Podsumowanie", and
the chart part's type, series count and axis titles.
Usage: series_readback.py <workbook.xlsx>"""
import json
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

NS = {
    "c": "http://schemas.openxmlformats.org/drawingml/2006/chart",
    "a": "http://schemas.openxmlformats.org/drawingml/2006/main",
}

path = sys.argv[1]
book = openpyxl.load_workbook(path)
out = {"sheets": book.sheetnames}
for name in ("Pasmo", "Realizacje", "Podsumowanie"):
    out[name] = [[c for c in row] for row in book[name].iter_rows(values_only=True)]
with zipfile.ZipFile(path) as z:
    charts = [n for n in z.namelist() if n.startswith("xl/charts/chart")]
    out["charts"] = len(charts)
    if charts:
        root = ET.fromstring(z.read(charts[0]))
        plot = root.find("c:chart/c:plotArea", NS)
        out["lineCharts"] = len(plot.findall("c:lineChart", NS))
        out["series"] = len(plot.findall("c:lineChart/c:ser", NS))
        out["axisTitles"] = ["".join(t.text or "" for t in ax.iter("{%s}t" % NS["a"]))
                             for ax in list(plot.findall("c:catAx", NS)) + list(plot.findall("c:valAx", NS))]
json.dump(out, sys.stdout, ensure_ascii=False, default=str)

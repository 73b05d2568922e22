#!/usr/bin/python3
"""Reads a report workbook back, independently of the program that wrote it, and prints what
it holds as JSON: openpyxl for the sheets and cells, the zip's own XML for the rich texts
and the chart part. Usage: report_readback.py <workbook.xlsx>"""
import json
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl
from openpyxl.utils import get_column_letter

NS = {
    "c": "http://schemas.openxmlformats.org/drawingml/2006/chart",
    "a": "http://schemas.openxmlformats.org/drawingml/2006/main",
    "s": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
}


def side(s):
    return {"style": s.style, "auto": bool(s.color is not None and s.color.auto)}


def cell(c):
    font = c.font
    colour = font.color.rgb if font.color is not None and font.color.type == "rgb" else None
    return {
        "value": c.value,
        "type": c.data_type,
        "format": c.number_format,
        "bold": bool(font.b),
        "size": font.sz,
        "colour": colour,
        "align": c.alignment.horizontal,
        "border": [side(s) for s in (c.border.left, c.border.right, c.border.top, c.border.bottom)],
    }


def worksheet(ws):
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            if c.value is not None or c.has_style:
                cells[c.coordinate] = cell(c)
    widths = {}
    for dim in ws.column_dimensions.values():
        if dim.customWidth:
            for index in range(dim.min, dim.max + 1):
                widths[get_column_letter(index)] = dim.width
    return {"cells": cells, "widths": widths}


def rich_texts(archive):
    """Every text made of runs, shared or kept in its cell, as its whole text ->
    [[run text, superscript]]."""
    holders = []
    names = archive.namelist()
    if "xl/sharedStrings.xml" in names:
        holders += ET.fromstring(archive.read("xl/sharedStrings.xml")).findall("s:si", NS)
    for name in names:
        if name.startswith("xl/worksheets/sheet") and name.endswith(".xml"):
            holders += ET.fromstring(archive.read(name)).findall("s:sheetData/s:row/s:c/s:is", NS)
    result = {}
    for si in holders:
        runs = si.findall("s:r", NS)
        if not runs:
            continue
        parts = []
        for r in runs:
            va = r.find("s:rPr/s:vertAlign", NS)
            parts.append([r.find("s:t", NS).text, va is not None and va.get("val") == "superscript"])
        result["".join(p[0] for p in parts)] = parts
    return result


def val(node, path):
    found = node.find(path, NS)
    return None if found is None else found.get("val")


def text_runs(node):
    """Runs of a title as [[text, size, bold, baseline]]."""
    runs = []
    for r in node.findall("c:tx/c:rich/a:p/a:r", NS):
        rpr = r.find("a:rPr", NS)
        runs.append([r.find("a:t", NS).text, rpr.get("sz"), rpr.get("b"), rpr.get("baseline")])
    return runs


def num_ref(node):
    if node is None:
        return None
    cache = [float(v.text) for v in node.findall("c:numRef/c:numCache/c:pt/c:v", NS)]
    count = val(node, "c:numRef/c:numCache/c:ptCount")
    return {"f": node.find("c:numRef/c:f", NS).text, "cached": node.find("c:numRef/c:numCache", NS) is not None,
            "count": None if count is None else int(count), "cache": cache}


def chart(archive):
    root = ET.fromstring(archive.read("xl/charts/chart1.xml"))
    plot = root.find("c:chart/c:plotArea", NS)
    groups = []
    axes = []
    for child in plot:
        tag = child.tag.split("}")[1]
        if tag.endswith("Chart"):
            series = []
            for s in child.findall("c:ser", NS):
                ln = s.find("c:spPr/a:ln", NS)
                series.append({
                    "idx": int(val(s, "c:idx")), "order": int(val(s, "c:order")),
                    "name": s.find("c:tx/c:v", NS).text,
                    "x": num_ref(s.find("c:cat", NS) if s.find("c:cat", NS) is not None else s.find("c:xVal", NS)),
                    "y": num_ref(s.find("c:val", NS) if s.find("c:val", NS) is not None else s.find("c:yVal", NS)),
                    "smooth": val(s, "c:smooth"), "marker": val(s, "c:marker/c:symbol"),
                    "lineWidth": None if ln is None else ln.get("w"),
                    "lineColour": None if ln is None else val(ln, "a:solidFill/a:srgbClr"),
                })
            groups.append({"type": tag, "barDir": val(child, "c:barDir"), "grouping": val(child, "c:grouping"),
                           "overlap": val(child, "c:overlap"), "scatterStyle": val(child, "c:scatterStyle"),
                           "axIds": [a.get("val") for a in child.findall("c:axId", NS)], "series": series})
        elif tag.endswith("Ax"):
            title = child.find("c:title", NS)
            axes.append({
                "type": tag, "id": val(child, "c:axId"), "pos": val(child, "c:axPos"),
                "delete": val(child, "c:delete"), "min": val(child, "c:scaling/c:min"),
                "max": val(child, "c:scaling/c:max"), "orientation": val(child, "c:scaling/c:orientation"),
                "log": val(child, "c:scaling/c:logBase"), "crossAx": val(child, "c:crossAx"),
                "crosses": val(child, "c:crosses"), "crossesAt": val(child, "c:crossesAt"),
                "majorUnit": val(child, "c:majorUnit"), "tickLblSkip": val(child, "c:tickLblSkip"),
                "tickMarkSkip": val(child, "c:tickMarkSkip"), "tickLblPos": val(child, "c:tickLblPos"),
                "title": None if title is None else text_runs(title),
            })
    sppr = plot.find("c:spPr", NS)
    return {
        "title": text_runs(root.find("c:chart/c:title", NS)),
        "groups": groups,
        "axes": axes,
        "legendPos": val(root, "c:chart/c:legend/c:legendPos"),
        "plotAreaNoFill": sppr is not None and sppr.find("a:noFill", NS) is not None,
        "plotAreaNoLine": sppr is not None and sppr.find("a:ln/a:noFill", NS) is not None,
    }


def main(path):
    wb = openpyxl.load_workbook(path)
    kinds = {ws.title: type(ws).__name__ for ws in wb.worksheets + wb.chartsheets}
    with zipfile.ZipFile(path) as archive:
        bad = archive.testzip()
        out = {
            "zipOk": bad is None,
            "sheets": wb.sheetnames,
            "kinds": [kinds[n] for n in wb.sheetnames],
            "active": wb.active.title,
            "chartsheetCharts": [len(cs._charts) for cs in wb.chartsheets],
            "worksheets": {ws.title: worksheet(ws) for ws in wb.worksheets},
            "rich": rich_texts(archive),
            "chart": chart(archive),
            "declarations": {name: archive.read(name)[:60].decode("utf-8", "replace")
                             for name in ("xl/charts/chart1.xml", "xl/worksheets/sheet1.xml")},
        }
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])

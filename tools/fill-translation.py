#!/usr/bin/env python3
"""Fills unfinished entries of a Qt .ts catalogue from a table of source -> translation.

usage: fill-translation.py CATALOGUE.ts TABLE.json
The table maps an English source text to its translation; entries it knows are marked finished.
"""
import json
import sys
import xml.etree.ElementTree as ET

catalogue, table_path = sys.argv[1], sys.argv[2]
with open(table_path, encoding="utf-8") as f:
    table = json.load(f)
tree = ET.parse(catalogue)
missing = []
for message in tree.getroot().iter("message"):
    source = message.findtext("source")
    translation = message.find("translation")
    if translation.get("type") == "unfinished" or not (translation.text or "").strip():
        if source in table:
            translation.text = table[source]
            translation.attrib.pop("type", None)
        else:
            missing.append(source)
with open(catalogue, "wb") as f:
    f.write(b'<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
    tree.write(f, encoding="utf-8", xml_declaration=False)
for source in missing:
    print("no translation for:", repr(source))
sys.exit(1 if missing else 0)

#!/usr/bin/python3
# Reads a report saved as PDF back with pikepdf and checks that it is tagged
# the way a screen reader and a PDF accessibility checker need it:
#   - marked (/MarkInfo /Marked true), with a structure tree;
#   - the document's language (/Lang) is the expected one; it has a title,
#     shown as the window's title (/DisplayDocTitle);
#   - the structure, in reading order, begins with the report's title (H1),
#     headings never skip a level, and every section heading has a bookmark;
#   - tables hold rows (TR) only and rows hold cells (TH or TD) only; there is
#     at least one table, every TH has a scope (/Column or /Row);
#   - every figure has a non-empty text alternative (/Alt).
# Usage: check_report_pdf.py FILE.pdf LANG [MIN_FIGURES]
# Prints each problem and exits 1 when there is one; prints a summary line.
import sys

import pikepdf


def walk(node, out, depth=0):
    """Every structure element below node, depth first: (depth, element)."""
    if isinstance(node, pikepdf.Array):
        for kid in node:
            walk(kid, out, depth)
        return
    if not isinstance(node, pikepdf.Dictionary) or "/S" not in node:
        return
    out.append((depth, node))
    if "/K" in node:
        walk(node.K, out, depth + 1)


def kids(node):
    k = node.get("/K")
    if k is None:
        return []
    items = list(k) if isinstance(k, pikepdf.Array) else [k]
    return [i for i in items if isinstance(i, pikepdf.Dictionary) and "/S" in i]


def outline_titles(pdf):
    titles = []
    with pdf.open_outline() as outline:
        stack = list(outline.root)
        while stack:
            item = stack.pop(0)
            titles.append(str(item.title))
            stack = list(item.children) + stack
    return titles


def main():
    path, lang = sys.argv[1], sys.argv[2]
    min_figures = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    problems = []
    pdf = pikepdf.open(path)
    root = pdf.Root
    if not ("/MarkInfo" in root and bool(root.MarkInfo.get("/Marked", False))):
        problems.append("not marked as tagged (/MarkInfo /Marked)")
    if str(root.get("/Lang", "")).split("-")[0] != lang:
        problems.append("the language is %r, not %r" % (str(root.get("/Lang", "")), lang))
    title = str(pdf.docinfo.get("/Title", "")) if pdf.docinfo is not None else ""
    if not title.strip():
        problems.append("no title")
    if not ("/ViewerPreferences" in root and bool(root.ViewerPreferences.get("/DisplayDocTitle", False))):
        problems.append("the title is not shown as the window's title")
    if "/StructTreeRoot" not in root:
        problems.append("no structure tree")
        print("\n".join(problems))
        sys.exit(1)
    elements = []
    walk(root.StructTreeRoot.K, elements)
    types = [str(e.S)[1:] for _, e in elements]
    headings = [int(t[1:]) for t in types if len(t) == 2 and t[0] == "H" and t[1].isdigit()]
    if not headings or headings[0] != 1:
        problems.append("the structure does not begin with the title (H1): %s" % headings[:5])
    for before, after in zip(headings, headings[1:]):
        if after > before + 1:
            problems.append("a heading level is skipped: H%d after H%d" % (after, before))
    tables = [e for _, e in elements if str(e.S) == "/Table"]
    if not tables:
        problems.append("no table")
    for table in tables:
        for row in kids(table):
            if str(row.S) != "/TR":
                problems.append("a table holds a %s, not a row" % row.S)
                continue
            for cell in kids(row):
                if str(cell.S) not in ("/TH", "/TD"):
                    problems.append("a row holds a %s, not a cell" % cell.S)
    for _, e in elements:
        if str(e.S) == "/TH":
            scope = e.get("/A", {}).get("/Scope") if "/A" in e else None
            if str(scope) not in ("/Column", "/Row"):
                problems.append("a header cell without scope")
                break
    figures = [e for _, e in elements if str(e.S) == "/Figure"]
    for f in figures:
        if not str(f.get("/Alt", "")).strip():
            problems.append("a figure without its text alternative")
            break
    if len(figures) < min_figures:
        problems.append("%d figures, fewer than %d" % (len(figures), min_figures))
    bookmarks = outline_titles(pdf)
    if len(bookmarks) < max(1, len(headings)):
        problems.append("%d bookmarks for %d headings" % (len(bookmarks), len(headings)))
    print("%s: %d elements, %d headings, %d tables, %d figures, %d bookmarks, %s, %r" % (
        path, len(elements), len(headings), len(tables), len(figures), len(bookmarks), root.get("/Lang"), title))
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()

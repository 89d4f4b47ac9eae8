#!/usr/bin/python3
# Checks a report saved as HTML the way an automated accessibility checker
# does (rules of WCAG 2.1 AA that a file can be checked for):
#   - the document's language is declared (<html lang>) and is the expected one;
#   - it has a title; its headings begin with h1 and never skip a level;
#   - every picture has a text alternative (alt), and a chart (larger than
#     a legend's mark) a non-empty one; pictures are embedded (data: URLs),
#     nothing is loaded from elsewhere (no link, no script, no src outside);
#   - every table that is not marked as layout (role="presentation") has
#     header cells (th) with a scope, and no header cell is empty;
#   - it begins with a doctype and has one main landmark (<main>);
#   - text colours of the style sheet reach a contrast ratio of 4.5:1 against
#     the backgrounds they can stand on (their own, white, and every light
#     background the style sheet declares).
# Usage: check_report_html.py FILE.html LANG [--ratios]
# Prints each problem and exits 1 when there is one; --ratios also prints
# every colour pair checked with its contrast ratio.
import re
import sys
from html.parser import HTMLParser


def luminance(hex_colour):
    h = hex_colour.lstrip("#")
    if len(h) == 3:
        h = "".join(c * 2 for c in h)
    def channel(c):
        c = int(c, 16) / 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(h[i:i + 2]) for i in (0, 2, 4))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


class Report(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.problems = []
        self.lang = None
        self.title = ""
        self.headings = []
        self.style = ""
        self.inline = []   # (colour, background) of style attributes
        self.tables = []   # a stack: [layout, has_th]
        self.th_text = None
        self.in_title = self.in_style = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "html":
            self.lang = a.get("lang")
        elif tag == "title":
            self.in_title = True
        elif tag == "style":
            self.in_style = True
        elif re.fullmatch(r"h[1-6]", tag):
            self.headings.append(int(tag[1]))
        elif tag == "img":
            if "alt" not in a:
                self.problems.append("a picture without alt: " + a.get("src", "")[:40])
            elif not a["alt"].strip() and (int(a.get("width", 0)) > 40 or int(a.get("height", 0)) > 40):
                self.problems.append("a chart without a text alternative")
            if not a.get("src", "").startswith("data:"):
                self.problems.append("a picture loaded from elsewhere: " + a.get("src", ""))
        elif tag in ("link", "script", "iframe", "object"):
            self.problems.append("the file needs another one: <" + tag + ">")
        elif tag == "table":
            self.tables.append([a.get("role") == "presentation", False])
        elif tag == "th":
            if self.tables:
                self.tables[-1][1] = True
            if a.get("scope") not in ("col", "row", "colgroup", "rowgroup"):
                self.problems.append("a header cell without scope")
            self.th_text = ""
        if "style" in a:
            colour = re.search(r"(?<![-\w])color:\s*(#[0-9A-Fa-f]{3,6})", a["style"])
            background = re.search(r"background(?:-color)?:\s*(#[0-9A-Fa-f]{3,6})", a["style"])
            if colour:
                self.inline.append((colour.group(1), background.group(1) if background else "#FFFFFF"))

    def handle_endtag(self, tag):
        if tag == "title":
            self.in_title = False
        elif tag == "style":
            self.in_style = False
        elif tag == "table" and self.tables:
            layout, has_th = self.tables.pop()
            if not layout and not has_th:
                self.problems.append("a table without header cells")
        elif tag == "th" and self.th_text is not None:
            if not self.th_text.strip():
                self.problems.append("an empty header cell")
            self.th_text = None

    def handle_data(self, data):
        if self.in_title:
            self.title += data
        if self.in_style:
            self.style += data
        if self.th_text is not None:
            self.th_text += data


def colour_pairs(style, inline):
    """The (text, background) pairs the style sheet can show."""
    rules = re.findall(r"([^{}]+)\{([^}]*)\}", style)
    backgrounds, pairs = [], []
    for selector, body in rules:
        colour = re.search(r"(?<![-\w])color:\s*(#[0-9A-Fa-f]{3,6})", body)
        background = re.search(r"background(?:-color)?:\s*(#[0-9A-Fa-f]{3,6})", body)
        if background and luminance(background.group(1)) > 0.5:
            backgrounds.append(background.group(1))
        if colour and background:
            pairs.append((selector.strip(), colour.group(1), background.group(1)))
    for selector, body in rules:
        colour = re.search(r"(?<![-\w])color:\s*(#[0-9A-Fa-f]{3,6})", body)
        if colour and not re.search(r"background(?:-color)?:", body):
            for b in ["#FFFFFF"] + backgrounds:
                pairs.append((selector.strip(), colour.group(1), b))
    for selector, body in rules:  # a light background under the body's text
        background = re.search(r"background(?:-color)?:\s*(#[0-9A-Fa-f]{3,6})", body)
        if background and luminance(background.group(1)) > 0.5 and not re.search(r"(?<![-\w])color:", body):
            body_colour = next((re.search(r"(?<![-\w])color:\s*(#[0-9A-Fa-f]{3,6})", b).group(1)
                                for s, b in rules if s.strip() == "body" and "color" in b), "#000000")
            pairs.append((selector.strip(), body_colour, background.group(1)))
    pairs += [("style attribute", c, b) for c, b in inline]
    return pairs


def main():
    path, lang = sys.argv[1], sys.argv[2]
    report = Report()
    with open(path, encoding="utf-8") as f:
        text = f.read()
    report.feed(text)
    p = report.problems
    if not re.match(r"\s*<!DOCTYPE html>", text, re.IGNORECASE):
        p.append("no doctype")
    if len(re.findall(r"<main[\s>]", text)) != 1:
        p.append("not one main landmark")
    if report.lang != lang:
        p.append("the document's language is %r, not %r" % (report.lang, lang))
    if not report.title.strip():
        p.append("no title")
    if not report.headings or report.headings[0] != 1:
        p.append("the headings do not begin with h1: %s" % report.headings)
    for before, after in zip(report.headings, report.headings[1:]):
        if after > before + 1:
            p.append("a heading level is skipped: h%d after h%d" % (after, before))
    for selector, text, background in colour_pairs(report.style, report.inline):
        ratio = contrast(text, background)
        if "--ratios" in sys.argv:
            print("%-28s %s on %s  %.2f:1" % (selector, text, background, ratio))
        if ratio < 4.5:
            p.append("%s: %s on %s has a contrast of %.2f:1" % (selector, text, background, ratio))
    for problem in p:
        print(problem)
    sys.exit(1 if p else 0)


if __name__ == "__main__":
    main()

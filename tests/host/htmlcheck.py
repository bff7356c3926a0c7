#!/usr/bin/env python3
"""Checks an exported web page with Python's own HTML parser.

htmlcheck.py PAGE [TEXT ...]: every tag is closed in order, only the page's own
elements appear, no event-handler attributes, links are http(s) only, one script,
and every TEXT occurs as text (not markup).
htmlcheck.py --cli PROGRAM PLUGIN CATALOG: exports CATALOG with the command-line program
first, into a temporary folder, and checks that page.
"""
import os
import subprocess
import sys
import tempfile
from html.parser import HTMLParser

VOID = {"meta", "img", "input", "br", "link"}
ALLOWED = {"html", "head", "meta", "title", "style", "body", "header", "h1", "main", "div",
           "input", "label", "section", "article", "img", "h2", "p", "b", "a", "span",
           "details", "summary", "ol", "li", "table", "thead", "tbody", "tr", "th", "td",
           "button", "script"}


class Checker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.errors = []
        self.text = []
        self.scripts = 0
        self.doctype = False

    def handle_decl(self, decl):
        self.doctype = decl.lower() == "doctype html"

    def handle_starttag(self, tag, attrs):
        if tag not in ALLOWED:
            self.errors.append(f"unexpected element <{tag}> at {self.getpos()}")
        for name, value in attrs:
            if name.startswith("on"):
                self.errors.append(f"event attribute {name} at {self.getpos()}")
            if name in ("href", "src") and value is None:
                self.errors.append(f"empty {name} at {self.getpos()}")
            if name == "href" and not value.lower().startswith(("http://", "https://")):
                self.errors.append(f"link to {value!r} at {self.getpos()}")
        if tag == "script":
            self.scripts += 1
        if tag not in VOID:
            self.stack.append(tag)

    def handle_startendtag(self, tag, attrs):
        self.errors.append(f"self-closing <{tag}/> at {self.getpos()}")

    def handle_endtag(self, tag):
        if not self.stack or self.stack[-1] != tag:
            self.errors.append(f"</{tag}> closes {self.stack[-1:]} at {self.getpos()}")
        else:
            self.stack.pop()

    def handle_data(self, data):
        if self.stack and self.stack[-1] not in ("script", "style"):
            self.text.append(data)


def check(page, texts):
    with open(page, encoding="utf-8") as f:
        checker = Checker()
        checker.feed(f.read())
        checker.close()
    errors = checker.errors
    if not checker.doctype:
        errors.append("no <!DOCTYPE html>")
    if checker.stack:
        errors.append(f"left open: {checker.stack}")
    if checker.scripts != 1:
        errors.append(f"{checker.scripts} scripts instead of one")
    # Line breaks of the records may come back as LF only.
    text = "".join(checker.text)
    for wanted in texts:
        if wanted.replace("\r\n", "\n") not in text:
            errors.append(f"text {wanted!r} not found as text")
    for error in errors:
        print(error, file=sys.stderr)
    return 1 if errors else 0


def main(args):
    if args[:1] == ["--cli"] and len(args) == 4:
        program, plugin, catalog = args[1:]
        with tempfile.TemporaryDirectory() as folder:
            page = os.path.join(folder, "catalog.html")
            subprocess.run([program, "export", plugin, catalog, page], check=True,
                           cwd=folder, stdout=subprocess.DEVNULL)
            return check(page, [])
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    return check(args[0], args[1:])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

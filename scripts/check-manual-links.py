#!/usr/bin/env python3
"""Checks that every link and picture of the manual's pages (docs/help)
points at a file of the manual, and at an anchor the page has.

    check-manual-links.py [FOLDER]   (default: docs/help of this tree)

Exit status 0 when every link resolves, 1 otherwise.
"""

import html.parser
import os
import sys


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links, self.anchors = [], set()

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value:
                self.links.append((self.getpos()[0], value))
            if name == "id" and value:
                self.anchors.add(value)
            if tag == "a" and name == "name" and value:
                self.anchors.add(value)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "docs", "help")
    pages = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".html"):
            page = Page()
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                page.feed(f.read())
            pages[name] = page
    problems = []
    for name, page in pages.items():
        for line, link in page.links:
            if ":" in link.split("/")[0]:  # another site or a mail address
                continue
            target, _, anchor = link.partition("#")
            target = target or name
            if not os.path.isfile(os.path.join(folder, target)):
                problems.append("%s:%d: %s: no such file" % (name, line, link))
            elif anchor and target in pages and anchor not in pages[target].anchors:
                problems.append("%s:%d: %s: no such anchor" % (name, line, link))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

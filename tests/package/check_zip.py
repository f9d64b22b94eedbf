#!/usr/bin/env python3
"""Checks a release zip the way a Windows user meets it.

  check_zip.py DIST/NAME.zip

- every HTML guide in the zip is opened and each picture it shows (<img src>) must be an entry
  of the zip, relative to the guide's own folder (a link to a missing file shows as a broken
  picture in the browser); a guide that shows no picture at all also fails;
- README.txt starts with the UTF-8 byte order mark, decodes as UTF-8 and ends every line with
  CR LF (what Notepad needs to show the Japanese text and the line breaks);
- NAME.zip.sha256 beside the zip names the zip and holds its SHA-256.
Prints one PASS/FAIL line per check and "checks: N passed, M failed"; exits 1 on a failure.
"""
import hashlib
import html.parser
import os
import posixpath
import sys
import urllib.parse
import zipfile


class ImageSources(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.sources = []

    def handle_starttag(self, tag, attrs):
        if tag == "img":
            self.sources.append(dict(attrs).get("src") or "")


def main(path):
    results = []

    def check(ok, text):
        results.append(ok)
        print(("PASS " if ok else "FAIL ") + text)

    with zipfile.ZipFile(path) as z:
        names = set(z.namelist())
        guides = sorted(n for n in names if n.endswith(".html"))
        check(len(guides) > 0, f"{os.path.basename(path)} holds HTML guides: {', '.join(guides)}")
        for guide in guides:
            parser = ImageSources()
            parser.feed(z.read(guide).decode("utf-8"))
            check(len(parser.sources) > 0, f"{guide} shows pictures ({len(parser.sources)})")
            folder = posixpath.dirname(guide)
            for src in parser.sources:
                url = urllib.parse.urlparse(src)
                target = posixpath.normpath(posixpath.join(folder, urllib.parse.unquote(url.path)))
                local = not url.scheme and not url.netloc and not src.startswith("/")
                check(local and target in names, f"{guide}: picture {src} is in the zip")
        readmes = [n for n in names if posixpath.basename(n) == "README.txt"]
        check(len(readmes) == 1, "one README.txt")
        for readme in readmes:
            data = z.read(readme)
            check(data.startswith(b"\xef\xbb\xbf"), f"{readme} starts with the UTF-8 byte order mark")
            try:
                data.decode("utf-8")
                decodes = True
            except UnicodeDecodeError:
                decodes = False
            check(decodes, f"{readme} is UTF-8")
            lines = data.split(b"\n")
            bare = [i + 1 for i, l in enumerate(lines[:-1]) if not l.endswith(b"\r")]
            check(data.endswith(b"\r\n") and not bare and b"\r" not in data.replace(b"\r\n", b""),
                  f"{readme} ends every line with CR LF" + (f" (not line {bare[0]})" if bare else ""))

    sums = path + ".sha256"
    digest = hashlib.sha256(open(path, "rb").read()).hexdigest()
    try:
        want = f"{digest}  {os.path.basename(path)}\n"
        check(open(sums, encoding="ascii").read() == want, f"{os.path.basename(sums)} holds the zip's SHA-256")
    except OSError:
        check(False, f"{os.path.basename(sums)} exists")

    failed = results.count(False)
    print(f"checks: {len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: check_zip.py ZIP")
    sys.exit(main(sys.argv[1]))

#!/usr/bin/env python3
"""Writes the extension tree that the removal contenders delete, the same
bytes for the same arguments: a CEP extension (CSXS\\manifest.xml,
index.html, js, css, icons) whose bulk is a bundled node_modules, with
packages nested a few levels deep and files of 100 bytes to 150 KB.

    make_tree.py <folder> <files> <folders>
"""
import os
import random
import sys

KINDS = {".js": 40, ".d.ts": 10, ".js.map": 10, ".json": 8, ".md": 7, ".css": 5, ".png": 4, ".mjs": 6, ".cjs": 4,
         "": 6}
STEMS = ["index", "util", "parse", "format", "stream", "buffer", "types", "core", "main", "helpers", "compat",
         "polyfill", "encode", "decode", "events", "errors", "constants", "options", "state"]
SUBFOLDERS = ["lib", "dist", "src", "test", "types", "lib/internal", "dist/esm", "dist/cjs", "src/utils",
              "lib/internal/streams"]
TOP = ["index.html", ".debug", "package.json", "CSXS/manifest.xml", "js/main.js", "js/CSInterface.js",
       "css/styles.css", "icons/icon-dark.png", "icons/icon-light.png"]


def file_names(rng, count):
    names = set()
    while len(names) < count:
        extension = rng.choices(list(KINDS), list(KINDS.values()))[0]
        if extension == "":
            name = rng.choice(["LICENSE", "README", "CHANGELOG", "AUTHORS", ".npmignore", ".eslintrc"])
            name += "" if rng.random() < 0.5 else "-" + str(rng.randrange(100))
        else:
            name = rng.choice(STEMS) + ("" if rng.random() < 0.4 else "-" + str(rng.randrange(1000))) + extension
        names.add(name)
    return sorted(names)


def file_size(rng):
    roll = rng.random()
    for limit, low, high in ((0.60, 100, 2000), (0.90, 2000, 8000), (0.99, 8000, 30000)):
        if roll < limit:
            return rng.randint(low, high)
    return rng.randint(30000, 150000)


def main():
    root, file_count, folder_count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    rng = random.Random(20240607)
    text = ("/* generated */ module.exports = function (a, b) { return a + b; };\n" * 4096).encode()
    # The top of an extension, then packages (every folder after its parent).
    folders = ["CSXS", "js", "css", "icons", "node_modules"]
    package = 0
    while len(folders) < folder_count:
        package += 1
        base = "node_modules/" + rng.choice(["@scope-%d/" % rng.randrange(12), "", "", ""]) + "pkg-%d" % package
        levels = [base] + [base + "/" + sub for sub in SUBFOLDERS if rng.random() < 0.45]
        for folder in levels:
            parts = folder.split("/")
            for depth in range(2, len(parts) + 1):
                if "/".join(parts[:depth]) not in folders:
                    folders.append("/".join(parts[:depth]))
    folders = folders[:folder_count]
    # The extension's own files, the rest spread over the folders, more where packages keep code.
    per_folder = dict.fromkeys(folders, 0)
    weights = [1 if folder.count("/") <= 1 else 3 for folder in folders]
    for _ in range(file_count - len(TOP)):
        per_folder[rng.choices(folders, weights)[0]] += 1
    for folder in folders:
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    paths = TOP + [folder + "/" + name for folder in folders for name in file_names(rng, per_folder[folder])]
    total = 0
    for path in paths:
        size = file_size(rng)
        total += size
        with open(os.path.join(root, path), "wb") as out:
            out.write(text[:size] if size <= len(text) else text + b" " * (size - len(text)))
    print("tree %s: %d files, %d folders, %d bytes" % (root, len(paths), len(folders), total))


main()

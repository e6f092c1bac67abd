#!/usr/bin/env python3
"""Writes the extension tree that the removal contenders delete.

    make_tree.py <folder> <files> <folders>

The same arguments always give the same tree, byte for byte: a CEP extension
whose bulk is a bundled node_modules folder. Its top level holds the few
files and folders an extension has (CSXS\\manifest.xml, index.html, js, css,
icons); node_modules holds packages with lib, dist, src, test and types
folders nested a few levels deep. File sizes are those of such trees: most
files between a hundred bytes and a few kilobytes, some tens of kilobytes,
a few larger (about 5 KB on average); names and extensions follow (.js, .json, .map,
.d.ts, .md, .css, .png, LICENSE).
"""
import os
import random
import sys


def file_names(rng, count):
    kinds = [(".js", 40), (".d.ts", 10), (".js.map", 10), (".json", 8), (".md", 7), (".css", 5),
             (".png", 4), (".mjs", 6), (".cjs", 4), ("", 6)]
    stems = ["index", "util", "parse", "format", "stream", "buffer", "types", "core", "main", "helpers",
             "compat", "polyfill", "encode", "decode", "events", "errors", "constants", "options", "state"]
    names = set()
    while len(names) < count:
        extension = rng.choices([k for k, _ in kinds], [w for _, w in kinds])[0]
        if extension == "":
            name = rng.choice(["LICENSE", "README", "CHANGELOG", "AUTHORS", ".npmignore", ".eslintrc"])
            name += "" if rng.random() < 0.5 else "-" + str(rng.randrange(100))
        else:
            name = rng.choice(stems) + ("" if rng.random() < 0.4 else "-" + str(rng.randrange(1000))) + extension
        names.add(name)
    return sorted(names)


def file_size(rng):
    roll = rng.random()
    if roll < 0.60:
        return rng.randint(100, 2000)
    if roll < 0.90:
        return rng.randint(2000, 8000)
    if roll < 0.99:
        return rng.randint(8000, 30000)
    return rng.randint(30000, 150000)


def main():
    root, file_count, folder_count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    rng = random.Random(20240607)
    text = ("/* generated */ module.exports = function (a, b) { return a + b; };\n" * 4096).encode()

    # The fixed top of an extension, then packages until the folder count is reached.
    folders = ["CSXS", "js", "css", "icons", "node_modules"]
    known = set(folders)
    package = 0
    while len(folders) < folder_count:
        package += 1
        base = "node_modules/" + rng.choice(["@scope-%d/" % rng.randrange(12), "", "", ""]) + "pkg-%d" % package
        levels = [base]
        for sub in ["lib", "dist", "src", "test", "types", "lib/internal", "dist/esm", "dist/cjs",
                    "src/utils", "lib/internal/streams"]:
            if rng.random() < 0.45:
                levels.append(base + "/" + sub)
        for folder in levels:
            parts = folder.split("/")
            for depth in range(2, len(parts) + 1):  # every folder after its parent
                if "/".join(parts[:depth]) not in known:
                    known.add("/".join(parts[:depth]))
                    folders.append("/".join(parts[:depth]))
    folders = folders[:folder_count]

    # Files: the extension's own, then the rest spread over the folders,
    # more of them where packages keep their code.
    top = ["index.html", ".debug", "package.json", "CSXS/manifest.xml", "js/main.js", "js/CSInterface.js",
           "css/styles.css", "icons/icon-dark.png", "icons/icon-light.png"]
    weights = [1 if f.count("/") <= 1 else 3 for f in folders]
    per_folder = {f: 0 for f in folders}
    for _ in range(file_count - len(top)):
        per_folder[rng.choices(folders, weights)[0]] += 1

    os.makedirs(root, exist_ok=True)
    for folder in folders:
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    paths = list(top)
    for folder in folders:
        paths += [folder + "/" + name for name in file_names(rng, per_folder[folder])]
    total = 0
    for path in paths:
        size = file_size(rng)
        total += size
        with open(os.path.join(root, path), "wb") as out:
            out.write(text[:size] if size <= len(text) else text + b" " * (size - len(text)))
    print("tree %s: %d files, %d folders, %d bytes" % (root, len(paths), len(folders), total))


if __name__ == "__main__":
    main()

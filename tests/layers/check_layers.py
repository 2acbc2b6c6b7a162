#!/usr/bin/env python3
"""Checks that dependencies point down.

  check_layers.py ROOT     checks the tree at ROOT; exit 1 and one line per fault
  check_layers.py --self   checks small planted trees, each with a known fault

The outside libraries' stand-ins (external/) and the skin library (skin/)
include nothing of the player (player/) or the site manager (site_manager/),
neither of those two includes the other, and the site list (sites/) uses
nothing of the login (login/), which uses the site list. Headers are included by name
through the include paths that linked targets publish, so an include is
resolved as the compiler would find it: beside the including file, then in any
tree the file may use; an include found only in a tree it may not use is a
fault. The build files of a folder may neither name a forbidden folder (an
include path) nor link a target that one defines.
"""
import os
import re
import sys
import tempfile

PRODUCTS = ("player", "site_manager")
# Folder -> the folders it may not use.
FORBIDDEN = {
    "external": PRODUCTS,
    "skin": PRODUCTS,
    "player": ("site_manager",),
    "site_manager": ("player",),
    "site_manager/sites": ("site_manager/login",),
}
SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp|rc|idl|in)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
TARGET = re.compile(r"\badd_(?:library|executable)\(\s*([A-Za-z0-9_]+)")
LINKS = re.compile(r"\b(?:target_link_libraries|add_dependencies)\(([^)]*)\)", re.S)
GTEST_LIBS = re.compile(r"\badd_gtest\([^)]*\bLIBS\b([^)]*)\)", re.S)


def walk(root, top):
    for folder, dirs, files in os.walk(os.path.join(root, top)):
        dirs[:] = [d for d in dirs if not d.startswith((".", "build"))]
        for name in files:
            yield os.path.join(folder, name)


def folder_of(root, path):
    return os.path.relpath(os.path.dirname(path), root).replace(os.sep, "/")


def within(folder, prefixes):
    return any(folder == p or folder.startswith(p + "/") for p in prefixes)


def headers_by_name(root):
    """Name -> the folders that hold a header of that name."""
    found = {}
    for top in sorted(os.listdir(root)):
        if top.startswith((".", "build")) or not os.path.isdir(os.path.join(root, top)):
            continue
        for path in walk(root, top):
            if SOURCE.search(path):
                found.setdefault(os.path.basename(path), set()).add(folder_of(root, path))
    return found


def targets_in(root, prefix):
    targets = set()
    for path in walk(root, prefix):
        if os.path.basename(path) == "CMakeLists.txt":
            targets.update(TARGET.findall(open(path, encoding="utf-8").read()))
    return targets


def check(root):
    faults = []
    names = headers_by_name(root)
    targets = {bad: targets_in(root, bad) for forbidden in FORBIDDEN.values() for bad in forbidden}
    for top, forbidden in FORBIDDEN.items():
        for path in walk(root, top):
            rel = os.path.relpath(path, root)
            text = open(path, encoding="utf-8", errors="replace").read()
            if os.path.basename(path) == "CMakeLists.txt" or path.endswith(".cmake"):
                for bad in forbidden:
                    if re.search(r"(^|[/}\s])" + re.escape(bad) + r"/", text, re.M):
                        faults.append(f"{rel}: names {bad}/")
                    linked = " ".join(LINKS.findall(text) + GTEST_LIBS.findall(text)).split()
                    for target in sorted(set(linked) & targets.get(bad, set())):
                        faults.append(f"{rel}: links {target} of {bad}/")
            elif SOURCE.search(path):
                for name in INCLUDE.findall(text):
                    beside = os.path.join(os.path.dirname(path), name)
                    if os.path.exists(beside):
                        where = {folder_of(root, os.path.normpath(beside))}
                    else:
                        where = names.get(os.path.basename(name), set())
                    if where and all(within(w, forbidden) for w in where):
                        faults.append(f"{rel}: includes {name} of {', '.join(sorted(where))}/")
    return faults


# Planted trees: files (path -> text) and the faults the check must report.
CASES = [
    ("a clean tree passes", {
        "player/engine/engine.h": "",
        "player/engine/engine.cpp": '#include "engine.h"\n#include "framix_api.h"\n',
        "external/framix/include/framix_api.h": "",
        "external/framix/CMakeLists.txt": "target_include_directories(framix PUBLIC include)\n",
        "site_manager/login/login.cpp": '#include "corvane.h"\n#include "smapi.h"\n',
        "external/corvane/include/corvane.h": "",
        "skin/include/smapi.h": "",
    }, 0),
    ("an outside library including the engine's header", {
        "player/engine/codec_params.h": "",
        "external/framix/framix.cpp": '#include "codec_params.h"\n',
    }, 1),
    ("the skin including the site manager's header by path", {
        "site_manager/login/velmora_data.h": "",
        "skin/art/paint.cpp": '#include "../../site_manager/login/velmora_data.h"\n',
    }, 1),
    ("an outside library's include path into the product", {
        "external/auralis/CMakeLists.txt":
            "target_include_directories(auralis PUBLIC ${CMAKE_SOURCE_DIR}/player/engine)\n",
    }, 1),
    ("an outside library linking a product's target", {
        "player/engine/CMakeLists.txt": "add_library(engine_core STATIC a.cpp)\n",
        "external/capstan/CMakeLists.txt": "target_link_libraries(capstan PRIVATE engine_core)\n",
    }, 1),
    ("the player including the site manager, and the reverse", {
        "player/view/view.cpp": '#include "login_dialog.h"\n',
        "site_manager/login/login_dialog.h": "",
        "site_manager/sites/list.cpp": '#include "panel.h"\n',
        "player/view/panel.h": "",
    }, 2),
    ("a header of the same name beside the file is its own", {
        "player/view/button_state.h": "",
        "player/view/button_state.cpp": '#include "button_state.h"\n',
        "site_manager/widgets/button_state.h": "",
        "site_manager/widgets/bmp_button.h": '#include "button_state.h"\n',
    }, 0),
    ("the site list's dialog opening the login's dialogs", {
        "site_manager/login/login_dialog.h": '#include "site_record.h"\n',
        "site_manager/sites/site_record.h": "",
        "site_manager/sites/site_setup_dialog.cpp": '#include "login_dialog.h"\n#include "site_record.h"\n',
        "site_manager/login/CMakeLists.txt": "add_library(login_dialogs STATIC a.cpp)\n",
        "site_manager/sites/CMakeLists.txt": "target_link_libraries(site_setup PUBLIC site_list login_dialogs)\n",
    }, 2),
    ("a test of a product linking the other product's target", {
        "site_manager/launcher/CMakeLists.txt": "add_library(ostra_driver STATIC a.cpp)\n",
        "player/view/CMakeLists.txt": "add_gtest(view_test SOURCES t.cpp LIBS view_win ostra_driver)\n",
    }, 1),
]


def self_test():
    failed = 0
    for title, files, expected in CASES:
        with tempfile.TemporaryDirectory() as root:
            for rel, text in files.items():
                os.makedirs(os.path.join(root, os.path.dirname(rel)), exist_ok=True)
                with open(os.path.join(root, rel), "w", encoding="utf-8") as f:
                    f.write(text)
            faults = check(root)
        ok = len(faults) == expected
        failed += not ok
        print(f"{'ok  ' if ok else 'FAIL'} {title}: {len(faults)} faults, {expected} expected")
        for fault in faults:
            print(f"       {fault}")
    return 1 if failed else 0


def main(argv):
    if argv[1:] == ["--self"]:
        return self_test()
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    faults = check(argv[1])
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

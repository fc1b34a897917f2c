#!/usr/bin/env python3
"""The layering check refuses includes that climb or reach sideways and
accepts those that follow the links: each case plants one include in a copy
of the source tree and runs the check on it."""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
CHECK = os.path.join(ROOT, "scripts", "check-layers.py")

# (file the include is planted in, include line, refused?, words the report names)
CASES = [
    ("processing/planted.h", '#include "engine/batch_engine.h"', True, ["processing", "engine"]),
    ("image/formats/planted.cpp", '#include "options/batch_options.h"', True, ["image", "options"]),
    ("options/planted.cpp", '#include "documents/html_text.h"', True, ["options", "documents"]),
    ("engine/planted.cpp", '#include "ui/main_window.h"', True, ["engine", "ui"]),
    ("engine/planted.cpp", "#include <QString>", True, ["engine", "QString"]),
    ("widgets/planted.cpp", '#include "ui/options_sheet.h"', True, ["widgets", "ui"]),
    ("widgets/pictures/planted.h", '#include "engine/run_host.h"', True, ["widgets", "engine"]),
    ("shellext/launcher/planted.cpp", '#include "shellext/library/module.h"', True,
     ["shellext/launcher", "shellext/library"]),
    ("shellext/shared/planted.cpp", '#include "widgets/help.h"', True,
     ["shellext/shared", "widgets"]),
    ("processing/planted.cpp", '#include "../engine/batch_engine.h"', True, ["processing", "engine"]),
    ("ui/planted.cpp", '#include "engine/batch_engine.h"', False, []),
    ("ui/pages/planted.cpp", '#include "widgets/help.h"', False, []),
    ("shellext/library/planted.cpp", '#include "shellext/shared/com_layout.h"', False, []),
    ("image/formats/planted.cpp", '#include "processing/resample.h"', False, []),
    ("platform/planted.cpp", "#include <QSettings>", False, []),
    ("engine/planted.cpp", "#include <vector>", False, []),
]


def run(root):
    done = subprocess.run([sys.executable, CHECK, "--root", root], capture_output=True, text=True)
    return done.returncode, done.stdout


def main():
    failures = 0
    code, out = run(ROOT)
    if code != 0:
        print("the tree itself fails the check:\n" + out)
        failures += 1
    with tempfile.TemporaryDirectory() as temp:
        copy = os.path.join(temp, "tree")
        shutil.copytree(os.path.join(ROOT, "src"), os.path.join(copy, "src"))
        for where, line, refused, words in CASES:
            path = os.path.join(copy, "src", where)
            with open(path, "w") as f:
                f.write(line + "\n")
            code, out = run(copy)
            os.remove(path)
            if refused != (code == 1) or (refused and not all(w in out for w in words)) \
                    or (refused and ("src/" + where) not in out):
                print("%s in src/%s: exit %d, expected %s\n%s"
                      % (line, where, code, "a refusal" if refused else "success", out))
                failures += 1
    print("%d of %d cases wrong" % (failures, len(CASES) + 1))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

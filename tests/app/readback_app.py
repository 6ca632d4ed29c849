#!/usr/bin/python3
"""Reads the documents the main window saved in app_tests back with the export
tests' independent readers (Python's csv module and html5lib) and compares every
cell with the cells the test wrote down beside them."""
import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "export"))
import readback  # noqa: E402

readback.FOLDER = os.path.join(os.environ.get("TABULORIN_SCRATCH_HOST", ""), "app-readback")


def main():
    manifest = os.path.join(readback.FOLDER, "expected.json")
    if not os.path.exists(manifest):
        print("samples missing in %s (run app_tests first)" % readback.FOLDER)
        return 1
    samples = json.load(open(manifest, encoding="utf-8"))["samples"]
    for sample in samples:
        try:
            readback.check(sample)
        except Exception as error:  # a reader that fails is a failed sample
            readback.fail(sample["file"], "%s: %s" % (type(error).__name__, error))
    for line in readback.failures:
        print("FAIL " + line)
    print("%d samples read back, %d failures" % (len(samples), len(readback.failures)))
    return 1 if readback.failures or not samples else 0


if __name__ == "__main__":
    sys.exit(main())

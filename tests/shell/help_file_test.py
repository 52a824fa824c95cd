#!/usr/bin/env python3
"""Checks the compiled help file by its contents (Wine cannot render it here).

Usage: help_file_test.py <tamsel.chm> <source root>

Extracts the .chm with extract_chmLib (Debian package libchm-bin) and checks that:
- the topic the Help command opens, /2_Utilities/1_quillon.htm, exists and has its headings;
- every page of the project, the contents and the index is inside, and every link between pages resolves;
- every command of the menus, every field of the search form and the Preferences, every search mode and
  every item of the options tree is described somewhere in the help.
Prints one line per failed check and a closing count; exits non-zero when anything failed.
"""

import html
import os
import re
import subprocess
import sys
import tempfile

TOPIC = "2_Utilities/1_quillon.htm"

# Texts that the program puts into its controls at run time (not in the .rc files).
SEARCH_MODES = [
    "Find string",
    "Find string (matches whole string only)",
    "Wildcards (*,?) search",
    "Regular expression search",
    "Binary data search using hex string",
    "DWORD/QWORD data search",
    "All items",
]
OPTION_ITEMS = [
    "Registry of", "Local Computer", "Remote Computer", "Computer", "Look In", "Entire Registry",
    "Selected Hives", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_CURRENT_CONFIG", "Look at", "Keys", "Values", "Data", "Types to include", "All Types",
    "Selected Types", "REG_SZ", "REG_DWORD", "REG_BINARY", "REG_EXPAND_SZ", "REG_MULTI_SZ", "REG_QWORD",
    "REG_NONE", "REG_DWORD_BE", "REG_LINK", "REG_RES_LIST", "REG_FULL_RES_DESC", "REG_RES_REQ_LIST", "Other",
    "Case Sensitive", "Data length range (bytes)", "From", "To",
]

failures = []
passed = 0


def check(ok, message):
    global passed
    if ok:
        passed += 1
    else:
        failures.append(message)


def normalise(text):
    return re.sub(r"\s+", " ", text).strip().lower()


def page_text(markup):
    markup = re.sub(r"<(script|style)[^>]*>.*?</\1>", " ", markup, flags=re.S | re.I)
    return normalise(html.unescape(re.sub(r"<[^>]+>", " ", markup)))


def menu_texts(rc_path):
    """Texts of every MENUITEM and POPUP, without the accelerator hint and the mnemonic marks."""
    texts = []
    with open(rc_path, encoding="latin-1") as f:
        for line in f:
            m = re.match(r'\s*(?:MENUITEM|POPUP)\s+"([^"]*)"', line)
            if m:
                text = m.group(1).split("\\t")[0].replace("&", "")
                texts.append(text.rstrip("."))
    return texts


def dialog_texts(rc_path, dialog_names):
    """Texts of the labelled controls of the named dialogs, except OK and Cancel."""
    texts = []
    current = None
    with open(rc_path, encoding="latin-1") as f:
        for line in f:
            m = re.match(r"\s*(\w+)\s+DIALOGEX\b", line)
            if m:
                current = m.group(1)
                continue
            if current not in dialog_names:
                continue
            m = re.match(r'\s*(?:LTEXT|CTEXT|AUTOCHECKBOX|PUSHBUTTON|DEFPUSHBUTTON|GROUPBOX)\s+"([^"]+)"', line)
            if m and m.group(1) not in ("OK", "Cancel"):
                texts.append(m.group(1).rstrip("."))
    return texts


def main():
    chm, root = sys.argv[1], sys.argv[2]
    help_dir = os.path.join(root, "resources", "help")
    with tempfile.TemporaryDirectory() as out:
        result = subprocess.run(["extract_chmLib", chm, out], capture_output=True, text=True)
        check(result.returncode == 0, "extract_chmLib failed: " + result.stderr.strip())

        inside = set()
        for folder, _, files in os.walk(out):
            for name in files:
                inside.add(os.path.relpath(os.path.join(folder, name), out).replace(os.sep, "/"))

        # The topic the Help command opens, with its headings.
        topic = os.path.join(out, TOPIC)
        check(os.path.isfile(topic), "topic /" + TOPIC + " is missing")
        if os.path.isfile(topic):
            with open(topic, encoding="utf-8") as f:
                markup = f.read()
            headings = [page_text(h) for h in re.findall(r"<h[12][^>]*>(.*?)</h[12]>", markup, re.S | re.I)]
            for wanted in ("quillon", "overview of the window", "searching step by step", "keyboard shortcuts"):
                check(wanted in headings, "topic lacks the heading " + repr(wanted))

        # Every file of the project, the contents and the index are inside the .chm.
        with open(os.path.join(help_dir, "tamsel.hhp"), encoding="latin-1") as f:
            project = f.read()
        listed = [line.strip() for line in project.split("[FILES]", 1)[1].splitlines() if line.strip()]
        check(len(listed) >= 7, "the project lists too few pages")
        for name in listed:
            check(name in inside, "page " + name + " is not in the help file")
        for sitemap in ("tamsel.hhc", "tamsel.hhk"):
            with open(os.path.join(help_dir, sitemap), encoding="latin-1") as f:
                for local in re.findall(r'name="Local" value="([^"]+)"', f.read()):
                    check(local in inside, sitemap + " points to the missing page " + local)

        # Links between pages resolve; gather the text of every page.
        all_text = ""
        for name in sorted(n for n in inside if n.endswith(".htm")):
            with open(os.path.join(out, name), encoding="utf-8") as f:
                markup = f.read()
            all_text += " " + page_text(markup)
            base = os.path.dirname(name)
            for href in re.findall(r'href="([^"]+)"', markup):
                if re.match(r"[a-z]+:", href):
                    continue
                target = os.path.normpath(os.path.join(base, href.split("#")[0])).replace(os.sep, "/")
                check(target in inside, name + " links to the missing " + target)

        # What the user sees in the program is explained in the help.
        resources = os.path.join(root, "resources")
        described = (
            menu_texts(os.path.join(resources, "menus.rc"))
            + dialog_texts(os.path.join(resources, "dialogs.rc"), {"IDD_KELDRAWTL_FORM", "IDD_PREFERENCES"})
            + SEARCH_MODES
            + OPTION_ITEMS
        )
        check(len(described) > 80, "too few program texts found to compare with the help")
        for text in described:
            check(normalise(text) in all_text, "the help does not mention " + repr(text))

    for message in failures:
        print("FAILED: " + message)
    print("help_file: %d passed, %d failed" % (passed, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

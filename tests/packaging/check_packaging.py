#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that what the package installs beside the programs agrees with the programs.

  check_packaging.py metainfo SOURCE_DIR
  check_packaging.py manpages MAN_DIR
  check_packaging.py options SOURCE_DIR MAN_DIR TIRELO TIRELO_EVD LADEKO_FTP
  check_packaging.py version VERSION SOURCE_DIR MAN_DIR TIRELO TIRELO_EVD LADEKO_FTP
  check_packaging.py commands MAN_DIR LADEKO_FTP

Each prints what disagrees and exits 1, or exits 0 when all agree.
"""
import gzip
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PAGES = ("tirelo", "tirelo-evd", "ladeko-ftp")
problems = []


def problem(text):
    problems.append(text)
    print("FEHLER: " + text)


def run(args, **kw):
    env = dict(os.environ, LC_ALL="C.UTF-8", **kw.pop("env", {}))
    return subprocess.run(args, capture_output=True, text=True, env=env, **kw)


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


# --- the metadata -------------------------------------------------------------------------

def desktop_field(text, key):
    m = re.search(r"^" + key + r"=(.*)$", text, re.M)
    return [v for v in m.group(1).split(";") if v] if m else []


def check_metainfo(source):
    metainfo = os.path.join(source, "packaging", "de.ombrax.tirelo.metainfo.xml")
    result = run(["appstreamcli", "validate", "--no-net", "--pedantic", metainfo])
    print(result.stdout + result.stderr)
    if result.returncode != 0:
        problem("appstreamcli validate --no-net meldet Fehler")
    with tempfile.TemporaryDirectory() as tmp:
        entry = read(os.path.join(source, "shell", "data", "tirelo.desktop.in"))
        entry = entry.replace("@TIRELO_EXEC@", "/usr/bin/tirelo")
        path = os.path.join(tmp, "tirelo.desktop")
        with open(path, "w", encoding="utf-8") as f:
            f.write(entry)
        result = run(["desktop-file-validate", path])
        if result.returncode != 0 or result.stdout.strip():
            problem("desktop-file-validate: " + result.stdout + result.stderr)
    root = ET.parse(metainfo).getroot()
    launchable = root.findtext("launchable")
    if launchable != "tirelo.desktop":
        problem("launchable ist %r, der Eintrag heißt tirelo.desktop" % launchable)
    mime = ET.parse(os.path.join(source, "shell", "data", "tirelo-mime.xml")).getroot()
    ns = "{http://www.freedesktop.org/standards/shared-mime-info}"
    package_types = sorted(t.get("type") for t in mime.iter(ns + "mime-type"))
    meta_types = sorted(t.text for t in root.iter("mediatype"))
    entry_types = sorted(desktop_field(entry, "MimeType"))
    if not (package_types == meta_types == entry_types) or len(meta_types) != 2:
        problem("MIME-Typen: Paket %s, Metadaten %s, Eintrag %s" % (package_types, meta_types, entry_types))
    meta_categories = [c.text for c in root.iter("category")]
    if meta_categories != ["Education", "Languages"] or desktop_field(entry, "Categories") != meta_categories:
        problem("Kategorien: Metadaten %s, Eintrag %s" % (meta_categories, desktop_field(entry, "Categories")))
    binaries = sorted(b.text for b in root.iter("binary"))
    if binaries != sorted(PAGES):
        problem("provides/binary %s statt %s" % (binaries, sorted(PAGES)))


# --- the manual pages ---------------------------------------------------------------------

def rendered(man_dir, page, width="400"):
    """The page as man shows it, without overstrike and with plain hyphens."""
    result = run(["man", "-l", os.path.join(man_dir, page + ".1")], env={"MANWIDTH": width})
    text = re.sub(r".\x08", "", result.stdout)
    return text.translate({0x2010: "-", 0x2011: "-", 0x2212: "-"})


def sections(text):
    found, name = {}, None
    for line in text.splitlines():
        if re.match(r"^[A-ZÄÖÜ][A-ZÄÖÜ -]+$", line):
            name = line.strip()
            found[name] = []
        elif name:
            found[name].append(line)
    return {k: "\n".join(v) for k, v in found.items()}


REQUIRED = {
    "tirelo": ["NAME", "ÜBERSICHT", "BESCHREIBUNG", "OPTIONEN", "UMGEBUNGSVARIABLEN", "DATEIEN",
               "EXIT-STATUS", "BEISPIELE", "SIEHE AUCH"],
    "tirelo-evd": ["NAME", "ÜBERSICHT", "BESCHREIBUNG", "BEFEHLE", "OPTIONEN", "EXIT-STATUS",
                   "BEISPIELE", "SIEHE AUCH"],
    "ladeko-ftp": ["NAME", "ÜBERSICHT", "BESCHREIBUNG", "OPTIONEN", "BEFEHLE", "UMGEBUNGSVARIABLEN",
                   "DATEIEN", "EXIT-STATUS", "BEISPIELE", "SIEHE AUCH"],
}


def check_manpages(man_dir):
    for page in PAGES:
        roff = os.path.join(man_dir, page + ".1")
        if not os.path.exists(roff):
            problem("%s fehlt (scdoc installiert?)" % roff)
            continue
        result = run(["man", "--warnings", "-l", roff], env={"MANWIDTH": "80"})
        if result.returncode != 0 or result.stderr.strip():
            problem("man --warnings -l %s: %s" % (page, result.stderr))
        missing = [s for s in REQUIRED[page] if s not in sections(rendered(man_dir, page, "80"))]
        if missing:
            problem("%s(1) ohne Abschnitt %s" % (page, ", ".join(missing)))
        # gzip -9n: the same bytes, no file name and no time in the header (reproducible).
        with open(roff + ".gz", "rb") as f:
            header = f.read(10)
        if header[3] & 0x08 or header[4:8] != b"\0\0\0\0":
            problem("%s.1.gz trägt Namen oder Zeit im Kopf" % page)
        with gzip.open(roff + ".gz", "rb") as f, open(roff, "rb") as plain:
            if f.read() != plain.read():
                problem("%s.1.gz ist nicht die Seite" % page)


# --- the pages against the programs -------------------------------------------------------

OPTION = re.compile(r"(?<![\w-])--[a-z][a-z0-9-]*")


def help_text(program):
    result = run([program, "--help"])
    if result.returncode != 0:
        problem("%s --help endet mit %d" % (program, result.returncode))
    return result.stdout


def compare(what, page, from_help, from_page):
    for name in sorted(set(from_help) - set(from_page)):
        problem("%s(1): %s %s aus --help fehlt auf der Seite" % (page, what, name))
    for name in sorted(set(from_page) - set(from_help)):
        problem("%s(1): %s %s steht nicht in --help" % (page, what, name))


def page_commands(section):
    """The terms of a command list: the first word of each term line (and of each ", " part)."""
    names = []
    for line in section.splitlines():
        if re.match(r"^ {7}[a-z]", line):
            names += [part.split()[0] for part in line.strip().split(", ")]
    return names


def source_names(source, folders, pattern, skip=()):
    names = set()
    for folder in folders:
        for base, dirs, files in os.walk(os.path.join(source, folder)):
            dirs[:] = [d for d in dirs if os.path.join(base, d) not in [os.path.join(source, s) for s in skip]]
            for name in files:
                if name.endswith((".cpp", ".h")):
                    names.update(re.findall(pattern, read(os.path.join(base, name))))
    return names


ENV = r'(?:getenv|Env)\("([A-Z0-9_]+)"\)'
FILE_NAME = r'k\w*FileName\w*(?:\[\])?\s*=\s*"([^"]+)"'


def check_options(source, man_dir, tirelo, evd, ladeko):
    pages = {p: sections(rendered(man_dir, p)) for p in PAGES}
    for page, program in (("tirelo", tirelo), ("tirelo-evd", evd), ("ladeko-ftp", ladeko)):
        compare("Option", page, OPTION.findall(help_text(program)),
                OPTION.findall(pages[page].get("OPTIONEN", "")))
    evd_help = help_text(evd)
    compare("Befehl", "tirelo-evd", re.findall(r"tirelo-evd ([a-z]+)", evd_help),
            page_commands(pages["tirelo-evd"].get("BEFEHLE", "")))
    ladeko_help = help_text(ladeko)
    block = ladeko_help[ladeko_help.find("Befehle:") + len("Befehle:"):]
    compare("Befehl", "ladeko-ftp", [part.split()[0] for part in re.split(r"[|\n]", block) if part.split()],
            page_commands(pages["ladeko-ftp"].get("BEFEHLE", "")))
    # Every variable the code reads and every data file it names is in its page.
    program_code = ["app", "platform", "trainer", "shell", "ftptool", "ftpclient"]
    tools = ["ftptool/tools", "trainer/tools"]
    expected = {
        "tirelo": (source_names(source, program_code, ENV, tools),
                   source_names(source, program_code, FILE_NAME, tools)),
        "ladeko-ftp": (source_names(source, ["ftptool/tools", "ftpclient"], ENV), set()),
    }
    for page, (variables, files) in expected.items():
        for name in sorted(variables):
            if not re.search(r"(?<![\w])%s(?![\w])" % name, pages[page].get("UMGEBUNGSVARIABLEN", "")):
                problem("%s(1): Umgebungsvariable %s fehlt" % (page, name))
        for name in sorted(files):
            if name not in pages[page].get("DATEIEN", ""):
                problem("%s(1): Datei %s fehlt" % (page, name))
    if not expected["tirelo"][1] or "LADEKO_PASSWORD" not in expected["ladeko-ftp"][0]:
        problem("im Quelltext keine Dateinamen oder Variablen gefunden: das Muster stimmt nicht mehr")


# --- ladeko-ftp's command table against its page -------------------------------------------

PROTOCOL_NOTE = re.compile(r"(Nur über|Über) (S?FTP)(?: und (S?FTP))?\.")


def page_command_entries(section):
    """Each command of a page's list: the arguments of its term and its description."""
    entries, current = {}, None
    for line in section.splitlines():
        if re.match(r"^ {7}[a-z]", line):
            words = line.split()
            current = words[0]
            entries[current] = [" ".join(words[1:]), ""]
        elif current and line.strip():
            entries[current][1] += " " + line.strip()
    return entries


def check_commands(man_dir, ladeko):
    result = run([ladeko, "--commands"])
    if result.returncode != 0 or not result.stdout:
        problem("ladeko-ftp --commands endet mit %d: %s" % (result.returncode, result.stderr))
    table = {}
    for line in result.stdout.splitlines():
        name, arguments, protocols = line.split("\t")
        table[name] = (arguments, sorted(protocols.split()))
    page = page_command_entries(sections(rendered(man_dir, "ladeko-ftp")).get("BEFEHLE", ""))
    for name in sorted(set(table) - set(page)):
        problem("ladeko-ftp(1): Befehl %s fehlt unter BEFEHLE" % name)
    for name in sorted(set(page) - set(table)):
        problem("ladeko-ftp(1): Befehl %s steht nicht in der Befehlstabelle" % name)
    for name in sorted(set(table) & set(page)):
        arguments, protocols = table[name]
        if page[name][0] != arguments:
            problem("ladeko-ftp(1): %s %s statt %s %s" % (name, page[name][0], name, arguments))
        notes = PROTOCOL_NOTE.findall(page[name][1])
        if len(notes) != 1:
            problem("ladeko-ftp(1): bei %s steht nicht genau einmal, über welche Verbindungen" % name)
            continue
        said = sorted(p for p in notes[0][1:] if p)
        if said != protocols or (notes[0][0] == "Nur über") != (len(said) == 1):
            problem("ladeko-ftp(1): %s „%s %s“, die Tabelle sagt %s"
                    % (name, notes[0][0], " und ".join(said), " und ".join(protocols)))


# --- one version everywhere ---------------------------------------------------------------

def check_version(version, source, man_dir, programs):
    for page, program in zip(PAGES, programs):
        result = run([program, "--version"], env={"DISPLAY": "", "WAYLAND_DISPLAY": ""})
        wanted = "%s (Tirelo V) %s\n" % (page, version)
        if result.returncode != 0 or result.stdout != wanted:
            problem("%s --version: %r (Status %d) statt %r" % (page, result.stdout, result.returncode, wanted))
        if not re.search(r"Tirelo V %s\s" % re.escape(version), rendered(man_dir, page, "80")):
            problem("%s(1) nennt nicht die Version %s" % (page, version))
    release = ET.parse(os.path.join(source, "packaging", "de.ombrax.tirelo.metainfo.xml")).find("releases/release")
    if release.get("version") != version:
        problem("neueste Ausgabe in den Metadaten: %s statt %s" % (release.get("version"), version))
    first = read(os.path.join(source, "packaging", "changelog")).splitlines()[0]
    if not first.startswith("tirelo (%s) " % version):
        problem("neuester Eintrag im changelog: %r" % first)


def main(argv):
    command = argv[1]
    if command == "metainfo":
        check_metainfo(argv[2])
    elif command == "manpages":
        check_manpages(argv[2])
    elif command == "options":
        check_options(*argv[2:7])
    elif command == "commands":
        check_commands(argv[2], argv[3])
    elif command == "version":
        check_version(argv[2], argv[3], argv[4], argv[5:8])
    else:
        raise SystemExit(__doc__)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

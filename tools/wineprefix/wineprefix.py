#!/usr/bin/env python3
"""Turns a simulated machine folder into the state of a Wine prefix and back.

    wineprefix.py version MACHINE            the Wine Version name of the machine's Windows
    wineprefix.py load MACHINE ROOTS         puts the machine into $WINEPREFIX
    wineprefix.py export MACHINE ROOTS OUT   writes the prefix's state as a machine folder

The prefix must exist, with WINEPREFIX (and DISPLAY) set and its wineserver
running. MACHINE is a machine folder (machine.ini, registry.reg, drives/X/...)
written for Wine's layout (setup-sim init --layout wine): its Windows folder is
C:\\windows, its files go into the prefix's drive_c as they are.

Keys below HKLM\\HARDWARE are volatile in Windows and in Wine; they are made with
regvolatile.exe from the folder that WINEPREFIX_HELPERS names (the Windows build).

ROOTS lists what the setup reads or changes, one entry a line:
    key HKLM\\...       a registry key: on load the prefix's key is deleted and the
                        machine's imported in its place; on export it is written back
    folder C:\\...      a folder whose files are compared; %Desktop% stands for the
                        Desktop folder that the machine's Shell Folders key names

load: sets the Windows version (HKCU\\Software\\Wine, Version), imports registry.reg
after deleting the keys of ROOTS, copies drives/C into drive_c (case-insensitively
merged with Wine's own folders), maps every other drive (E: the medium) to the
machine's folder, applies [Attributes] with Wine's attrib, and records what is on
drive_c so that export can tell which files the run touched.

export: OUT receives machine.ini ([Windows] of MACHINE, the file attributes),
registry.reg (the keys of ROOTS, as REGEDIT4) and drives/C with every file of the
machine that is still there and every file that is new or changed since load,
anywhere on drive_c. Files of Wine's own that were removed are listed in
OUT/removed-by-run.txt, the files and new folders that the run made or changed in
OUT/changed-by-run.txt.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

ROOT_NAMES = {
    "HKLM": "HKEY_LOCAL_MACHINE",
    "HKCU": "HKEY_CURRENT_USER",
    "HKCR": "HKEY_CLASSES_ROOT",
    "HKU": "HKEY_USERS",
}
SHORT_NAMES = {long: short for short, long in ROOT_NAMES.items()}
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
ATTRIBUTE_FLAGS = [(0x1, "r"), (0x2, "h"), (0x4, "s")]
SNAPSHOT = "machine-loader-snapshot.json"


def fail(message):
    sys.stderr.write("wineprefix: %s\n" % message)
    sys.exit(1)


# --- machine.ini ---------------------------------------------------------------


def read_ini(path):
    """Sections in order: name -> list of (key, value) in order."""
    sections = {}
    current = None
    with open(path, "rb") as f:
        for raw in f.read().decode("latin-1").splitlines():
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("["):
                current = line[1 : line.index("]")]
                sections.setdefault(current, [])
                continue
            if current is None or "=" not in line:
                continue
            key, value = line.split("=", 1)
            value = value.split(";", 1)[0] if current in ("Windows", "Drives") else value
            sections[current].append((key.strip(), value.strip()))
    return sections


def windows_section(machine):
    return dict(read_ini(os.path.join(machine, "machine.ini")).get("Windows", []))


def wine_version(machine):
    w = windows_section(machine)
    platform, major, minor = (int(w.get(k, "0")) for k in ("Platform", "Major", "Minor"))
    if platform == 1:
        return {0: "win95", 10: "win98", 90: "winme"}.get(minor, "win98")
    if major == 4:
        return "nt40"
    if major == 5:
        return "win2k" if minor == 0 else "winxp"
    return "vista"


# --- registry text ---------------------------------------------------------------


def logical_lines(text):
    lines, pending = [], ""
    for raw in text.splitlines():
        line = raw.rstrip("\r")
        if pending:
            line = pending + line.lstrip()
            pending = ""
        if line.endswith("\\") and not line.lstrip().startswith("["):
            # A value's hex data goes on in the next line; a quoted string never does.
            stripped = line.rstrip("\\")
            if "=hex" in stripped or "=hex(" in stripped:
                pending = stripped
                continue
        lines.append(line)
    if pending:
        lines.append(pending)
    return lines


def unquote(text, i):
    """The quoted text starting at text[i] == '"', and the index after it."""
    out = []
    i += 1
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append(text[i + 1])
            i += 2
            continue
        if c == '"':
            return "".join(out), i + 1
        out.append(c)
        i += 1
    raise ValueError("unterminated string")


def parse_reg(text):
    """registry text -> list of (key path with short root, [(name, type, bytes)])."""
    unicode = text.lstrip("\ufeff").startswith("Windows Registry Editor Version 5.00")
    keys = []
    current = None
    for line in logical_lines(text.lstrip("\ufeff")):
        s = line.strip()
        if not s or s.startswith(";") or s in ("REGEDIT4", "Windows Registry Editor Version 5.00"):
            continue
        if s.startswith("["):
            path = s[1 : s.rindex("]")]
            root, _, rest = path.partition("\\")
            path = SHORT_NAMES.get(root.upper(), root) + ("\\" + rest if rest else "")
            current = (path, [])
            keys.append(current)
            continue
        if current is None:
            continue
        if s.startswith("@"):
            name, i = "", 1
        else:
            name, i = unquote(s, 0)
        i = s.index("=", i) + 1
        data = s[i:].strip()
        if data.startswith('"'):
            value, _ = unquote(data, 0)
            current[1].append((name, 1, value.encode("latin-1", "replace") + b"\0"))
        elif data.startswith("dword:"):
            current[1].append((name, 4, int(data[6:], 16).to_bytes(4, "little")))
        elif data.startswith("hex"):
            kind, _, digits = data.partition(":")
            vtype = 3 if kind == "hex" else int(kind[4:-1], 16)
            raw = bytes(int(b, 16) for b in digits.replace(" ", "").split(",") if b)
            if unicode and vtype in (2, 7):
                raw = raw.decode("utf-16-le", "replace").encode("latin-1", "replace")
            current[1].append((name, vtype, raw))
        elif data == "-":
            continue
        else:
            raise ValueError("unreadable value line: " + s)
    return keys


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def format_reg(keys):
    out = ["REGEDIT4", ""]
    for path, values in keys:
        root, _, rest = path.partition("\\")
        out.append("[" + ROOT_NAMES.get(root, root) + ("\\" + rest if rest else "") + "]")
        for name, vtype, data in values:
            label = "@" if name == "" else quote(name)
            text = data[:-1] if data.endswith(b"\0") else None
            if vtype == 1 and text is not None and b"\0" not in text:
                out.append(label + "=" + quote(text.decode("latin-1")))
            elif vtype == 4 and len(data) == 4:
                out.append(label + "=dword:%08x" % int.from_bytes(data, "little"))
            else:
                kind = "hex" if vtype == 3 else "hex(%x)" % vtype
                out.append(label + "=" + kind + ":" + ",".join("%02x" % b for b in data))
        out.append("")
    return "\r\n".join(out) + "\r\n"


def under(path, root):
    p, r = path.lower(), root.lower()
    return p == r or p.startswith(r + "\\")


# --- roots --------------------------------------------------------------------


def read_roots(path, machine):
    keys, folders = [], []
    desktop = machine_value(machine, SHELL_FOLDERS, "Desktop")
    with open(path) as f:
        for raw in f:
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            kind, _, target = line.partition(" ")
            target = target.strip()
            if kind == "key":
                keys.append(target)
            elif kind == "folder":
                if "%Desktop%" in target:
                    if desktop is None:
                        continue
                    target = target.replace("%Desktop%", desktop)
                folders.append(target)
            else:
                fail("%s: unknown entry %r" % (path, line))
    return keys, folders


def machine_keys(machine):
    with open(os.path.join(machine, "registry.reg"), "rb") as f:
        data = f.read()
    text = data.decode("utf-16") if data.startswith(b"\xff\xfe") else data.decode("latin-1")
    return parse_reg(text)


def machine_value(machine, key, name):
    for path, values in machine_keys(machine):
        if path.lower() == key.lower():
            for n, vtype, data in values:
                if n.lower() == name.lower() and vtype in (1, 2):
                    return data.rstrip(b"\0").decode("latin-1")
    return None


# --- Wine ---------------------------------------------------------------------


def prefix():
    p = os.environ.get("WINEPREFIX")
    if not p or not os.path.isdir(os.path.join(p, "drive_c")):
        fail("WINEPREFIX must name a prefix that wineboot has made")
    return p


def wine(*args, check=True):
    # Output through files: the first Wine process of a prefix leaves its services
    # running with whatever it was given, and a pipe would then never end.
    with tempfile.TemporaryFile() as out:
        code = subprocess.run(("wine",) + args, stdin=subprocess.DEVNULL, stdout=out, stderr=out).returncode
        out.seek(0)
        text = out.read().decode("latin-1", "replace")
    if check and code != 0:
        fail("wine %s failed (%d): %s" % (" ".join(args), code, text[-2000:]))
    return code, text


def unix_to_dos(path):
    # Z: is Wine's view of the Unix root.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_batch(lines, work):
    """Runs cmd lines in one Wine process (each program still starts on its own)."""
    batch = os.path.join(work, "steps.bat")
    with open(batch, "w", newline="") as f:
        f.write("@echo off\r\n" + "\r\n".join(lines) + "\r\n")
    return wine("cmd", "/c", unix_to_dos(batch), check=False)


def host_path(drive_c, windows_path, create=False):
    """The host path of C:\\... under drive_c, matching existing names without
    regard to case (Wine's folders are lower case, the machine's may not be)."""
    parts = [p for p in windows_path[3:].split("\\") if p]
    here = drive_c
    for i, part in enumerate(parts):
        match = None
        if os.path.isdir(here):
            for entry in os.listdir(here):
                if entry.lower() == part.lower():
                    match = entry
                    break
        if match is None:
            if not create:
                return None
            match = part
            if i < len(parts) - 1:
                os.makedirs(os.path.join(here, match), exist_ok=True)
        here = os.path.join(here, match)
    return here


def machine_files(machine, letter="C"):
    """Windows path -> host path of every file and folder of a machine's drive."""
    base = os.path.join(machine, "drives", letter)
    found = {}
    for top, dirs, files in os.walk(base):
        for name in dirs + files:
            host = os.path.join(top, name)
            rel = os.path.relpath(host, base).replace(os.sep, "\\")
            found[letter + ":\\" + rel] = host
    return found


def read_attributes(host):
    """A file's attributes as Wine reports them: archive, read-only from the
    permission bits, hidden and system from the DOSATTRIB extended attribute."""
    st = os.lstat(host)
    bits = 0x10 if os.path.isdir(host) else 0x20
    if not (st.st_mode & 0o222):
        bits |= 0x1
    try:
        stored = int(os.getxattr(host, "user.DOSATTRIB").split(b"\0")[0].decode(), 16)
        bits |= stored & 0x6
    except (OSError, ValueError):
        pass
    return bits


def snapshot(drive_c):
    """What each entry of drive_c is, enough to tell whether a run wrote it: size,
    time written and inode; the inode change time too for the prefix's own files.
    Files shared with the template (hard links) change that time whenever another
    prefix of the same template is made or removed, and no run writes them."""
    state = {}
    for top, dirs, files in os.walk(drive_c):
        for name in dirs + files:
            host = os.path.join(top, name)
            st = os.lstat(host)
            own = st.st_nlink == 1 or os.path.isdir(host)
            state[os.path.relpath(host, drive_c)] = [st.st_size, st.st_mtime_ns, st.st_ctime_ns if own else 0,
                                                   st.st_ino, os.path.isdir(host)]
    return state


# --- commands -----------------------------------------------------------------


def load(machine, roots_file):
    pfx = prefix()
    drive_c = os.path.join(pfx, "drive_c")
    keys, folders = read_roots(roots_file, machine)
    work = tempfile.mkdtemp(prefix="load-", dir=pfx)

    # Injected faults are the simulation's alone; a run under Wine could not
    # match them. Key access marks ([Acl]) are not carried over: Wine grants
    # the access they deny.
    if read_ini(os.path.join(machine, "machine.ini")).get("Faults"):
        fail("%s has [Faults], which a Wine prefix cannot hold" % machine)
    wine("reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/d", wine_version(machine), "/f")

    # The keys of ROOTS are the machine's alone: Wine's own are deleted first.
    deletions = ["[-" + ROOT_NAMES[k.split("\\", 1)[0].upper()] + "\\" + k.split("\\", 1)[1] + "]" for k in keys]
    reg = os.path.join(work, "delete.reg")
    with open(reg, "wb") as f:
        f.write(("REGEDIT4\r\n\r\n" + "\r\n\r\n".join(deletions) + "\r\n").encode("latin-1"))
    wine("regedit", "/S", unix_to_dos(reg))
    # Below HKLM\HARDWARE every key is volatile: made so before the import fills it.
    contents = machine_keys(machine)
    volatile = [path for path, _ in contents if under(path, "HKLM\\HARDWARE")]
    if volatile:
        helper = os.path.join(os.environ.get("WINEPREFIX_HELPERS", ""), "regvolatile.exe")
        if not os.path.isfile(helper):
            fail("the machine has keys below HKLM\\HARDWARE: set WINEPREFIX_HELPERS to the folder "
                 "with regvolatile.exe (the Windows build)")
        wine(helper, *volatile)
    reg = os.path.join(work, "import.reg")
    with open(reg, "wb") as f:
        f.write(format_reg(contents).encode("latin-1"))
    wine("regedit", "/S", unix_to_dos(reg))

    # The files of drive C, merged into Wine's; an existing file is replaced, not
    # written through (the prefix may share unchanged files with its template).
    for windows_path, host in sorted(machine_files(machine).items()):
        target = host_path(drive_c, windows_path, create=True)
        if os.path.isdir(host):
            os.makedirs(target, exist_ok=True)
            continue
        if os.path.lexists(target):
            if os.path.isdir(target):
                fail("%s is a folder in the prefix" % windows_path)
            os.chmod(target, 0o644)
            os.unlink(target)
        shutil.copyfile(host, target)

    # A prefix copied from a template may share files with it (hard links); the
    # files that the run may write (those named like a file of the medium) become
    # the prefix's own.
    ini = read_ini(os.path.join(machine, "machine.ini"))
    medium_names = set()
    for letter, folder in ini.get("Drives", []):
        if letter.upper() != "C":
            for _, _, files in os.walk(os.path.join(machine, folder.replace("\\", os.sep))):
                medium_names.update(name.lower() for name in files)
    for folder in folders:
        base = host_path(drive_c, folder)
        if base is None:
            continue
        for top, _, files in os.walk(base):
            for name in files:
                host = os.path.join(top, name)
                if name.lower() in medium_names and not os.path.islink(host) and os.stat(host).st_nlink > 1:
                    own = host + ".own"
                    shutil.copy2(host, own)
                    os.replace(own, host)

    # Every other drive is the machine's folder itself (E: the medium).
    for letter, folder in ini.get("Drives", []):
        if letter.upper() == "C":
            continue
        link = os.path.join(pfx, "dosdevices", letter.lower() + ":")
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(os.path.abspath(os.path.join(machine, folder.replace("\\", os.sep))), link)

    # Attributes, one flag a command (Wine's attrib takes one at a time).
    commands = []
    wanted = {}
    for path, value in ini.get("Attributes", []):
        bits = int(value, 0)
        if not path.upper().startswith("C:\\"):
            continue
        wanted[path] = bits
        for bit, flag in ATTRIBUTE_FLAGS:
            if bits & bit:
                commands.append('attrib +%s "%s"' % (flag, path))
    if commands:
        run_batch(commands, work)
    for path, bits in wanted.items():
        host = host_path(drive_c, path)
        if host is None:
            fail("%s of [Attributes] is not on drive C" % path)
        seen = read_attributes(host)
        if seen & 0x7 != bits & 0x7:
            fail("%s: attributes 0x%x asked for, Wine has 0x%x" % (path, bits, seen))

    with open(os.path.join(pfx, SNAPSHOT), "w") as f:
        json.dump(snapshot(drive_c), f)
    shutil.rmtree(work)


def export(machine, roots_file, out):
    pfx = prefix()
    drive_c = os.path.join(pfx, "drive_c")
    keys, _ = read_roots(roots_file, machine)
    with open(os.path.join(pfx, SNAPSHOT)) as f:
        before = json.load(f)
    if os.path.exists(out):
        shutil.rmtree(out)
    os.makedirs(os.path.join(out, "drives", "C"))
    work = tempfile.mkdtemp(prefix="export-", dir=pfx)

    # The keys, one file each (a missing key writes none).
    commands = []
    for n, key in enumerate(keys):
        root, _, rest = key.partition("\\")
        commands.append('regedit /E "%s" "%s\\%s"' % (unix_to_dos(os.path.join(work, "key%d.reg" % n)),
                                                     ROOT_NAMES[root.upper()], rest))
    run_batch(commands, work)
    exported = []
    for n, key in enumerate(keys):
        path = os.path.join(work, "key%d.reg" % n)
        if not os.path.exists(path):
            continue
        with open(path, "rb") as f:
            data = f.read()
        text = data.decode("utf-16") if data.startswith(b"\xff\xfe") else data.decode("latin-1")
        exported.extend(k for k in parse_reg(text) if under(k[0], key))
    with open(os.path.join(out, "registry.reg"), "wb") as f:
        f.write(format_reg(exported).encode("latin-1"))

    # Files: the machine's that are still there, and whatever the run made or changed.
    initial = {p.lower() for p in machine_files(machine)}
    after = snapshot(drive_c)
    attributes = []
    touched = []
    for rel, signature in sorted(after.items()):
        windows_path = "C:\\" + rel.replace(os.sep, "\\")
        changed = before.get(rel) != signature
        if changed and not (signature[4] and rel in before):
            touched.append(windows_path)  # a folder counts when it is new
        if windows_path.lower() not in initial and not changed:
            continue
        host = os.path.join(drive_c, rel)
        target = os.path.join(out, "drives", "C", rel)
        if signature[4]:
            os.makedirs(target, exist_ok=True)
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if os.path.islink(host):
            continue
        shutil.copyfile(host, target)
        bits = read_attributes(host)
        if bits != 0x20:
            attributes.append((windows_path, bits))
    removed = sorted("C:\\" + rel.replace(os.sep, "\\") for rel in before
                     if rel not in after and ("C:\\" + rel.replace(os.sep, "\\")).lower() not in initial)
    with open(os.path.join(out, "removed-by-run.txt"), "w") as f:
        f.write("".join(p + "\n" for p in removed))
    with open(os.path.join(out, "changed-by-run.txt"), "w") as f:
        f.write("".join(p + "\n" for p in touched))

    w = windows_section(machine)
    lines = ["[Windows]"] + ["%s=%s" % (k, w[k]) for k in
                            ("Platform", "Major", "Minor", "Build", "ExtendedVersionInfo", "WindowsFolder",
                             "SystemFolder", "CurrentFolder") if k in w]
    lines += ["", "[Drives]", "C=drives\\C", "", "[Attributes]"]
    lines += ["%s=0x%X" % (p, b) for p, b in attributes]
    with open(os.path.join(out, "machine.ini"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("latin-1"))
    shutil.rmtree(work)


def main(argv):
    if len(argv) == 2 and argv[0] == "version":
        print(wine_version(argv[1]))
    elif len(argv) == 3 and argv[0] == "load":
        load(argv[1], argv[2])
    elif len(argv) == 4 and argv[0] == "export":
        export(argv[1], argv[2], argv[3])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

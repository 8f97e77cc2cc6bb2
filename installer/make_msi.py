#!/usr/bin/env python3
"""Builds the plug-in's Windows Installer package from KXPlayerPlugin.wxs.

    make_msi.py --arch x86|x64 --version 1.0.0 --dll KXPlayerPlugin.dll --output OUT.msi

wixl builds the package; three things it cannot express are added to it
afterwards with msibuild (both from msitools):
  - texts outside ASCII: wixl leaves the database without a code page and
    stores such texts empty (or crashes), so every attribute of the source
    that holds one is built from a placeholder, and the text is put in after
    the database is given code page 1251 (Russian and English both fit);
  - a directory search (wixl has no DirectorySearch), which sets SHELLDIRFOUND
    when the folder named by SHELLDIR exists, for the launch condition;
  - SHELLDIR among the secure properties (wixl ignores Property/@Secure), so
    that a managed install hands it to the installing service;
  - the DLL's version in the File table (wixl leaves it empty), which makes
    it a versioned file for Windows Installer's replacement rules.
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CODEPAGE = 1251


def run(*command, cwd=None):
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    # wixl warns about attributes it ignores; only failures are worth showing.
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} failed ({result.returncode}):\n{result.stderr}")
    return result.stdout


def file_version(dll):
    """The fixed file version of a PE file's version resource, as 'a.b.c.d'."""
    with open(dll, "rb") as f:
        data = f.read()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        raise RuntimeError(f"{dll} has no version resource")
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def msi_table(msi, table):
    """A table's rows, each a dict by column name."""
    rows = run("msiinfo", "export", msi, table).splitlines()
    columns = rows[0].split("\t")
    return [dict(zip(columns, row.split("\t"))) for row in rows[3:]]


def msi_tables(msi):
    return run("msiinfo", "tables", msi).split()


def quote(text):
    # msibuild's SQL has no escape for a quote inside a string.
    if "'" in text:
        raise RuntimeError(f"a text of the package holds a single quote: {text}")
    return "'" + text + "'"


def with_placeholders(source):
    """The source with every non-ASCII attribute value replaced by a placeholder."""
    texts = {}

    def swap(match):
        value = match.group(2)
        if value.isascii():
            return match.group(0)
        placeholder = f"KXTEXT{len(texts) + 1}"
        texts[placeholder] = value.replace("&quot;", '"').replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&")
        return f'{match.group(1)}="{placeholder}"'

    return re.sub(r'(\w+)="([^"]*)"', swap, source), texts


def placeholder_updates(msi, texts):
    """UPDATE queries that put each text where wixl stored its placeholder."""
    queries = []
    for table in msi_tables(msi):
        for row in msi_table(msi, table):
            for column, value in row.items():
                if value in texts:
                    queries.append(f"UPDATE `{table}` SET `{column}` = {quote(texts[value])} "
                                   f"WHERE `{column}` = {quote(value)}")
    return queries


def msi_property(msi, name):
    for row in msi_table(msi, "Property"):
        if row["Property"] == name:
            return row["Value"]
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", choices=["x86", "x64"], required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--dll", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()

    with open(os.path.join(HERE, "KXPlayerPlugin.wxs"), encoding="utf-8") as f:
        source, texts = with_placeholders(f.read())
    with tempfile.TemporaryDirectory() as scratch:
        wxs = os.path.join(scratch, "KXPlayerPlugin.wxs")
        with open(wxs, "w", encoding="utf-8") as f:
            f.write(source)
        # wixl finds files relative to the source only.
        shutil.copyfile(args.dll, os.path.join(scratch, "KXPlayerPlugin.dll"))
        msi = os.path.join(scratch, "package.msi")
        # libgsf leaves its save files in the working folder when it fails.
        run("wixl", "-a", args.arch, "-D", f"Platform={args.arch}", "-D", f"Version={args.version}",
            "-I", HERE, "-o", msi, wxs, cwd=scratch)

        codepage = os.path.join(scratch, "_ForceCodepage.idt")
        with open(codepage, "w", newline="") as f:
            f.write(f"\r\n\r\n{CODEPAGE}\t_ForceCodepage\r\n")
        secure = [p for p in (msi_property(msi, "SecureCustomProperties") or "").split(";") if p] + ["SHELLDIR"]
        queries = placeholder_updates(msi, texts) + [
            "CREATE TABLE `DrLocator` (`Signature_` CHAR(72) NOT NULL, `Parent` CHAR(72), `Path` CHAR(255), "
            "`Depth` SHORT PRIMARY KEY `Signature_`, `Parent`, `Path`)",
            "INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('ShellDirFound', '[SHELLDIR]', 0)",
            "INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('SHELLDIRFOUND', 'ShellDirFound')",
            f"UPDATE `Property` SET `Value` = {quote(';'.join(secure))} WHERE `Property` = 'SecureCustomProperties'",
            f"UPDATE `File` SET `Version` = {quote(file_version(args.dll))} WHERE `File` = 'PluginDll'",
        ]
        command = ["msibuild", msi, "-i", codepage]
        for query in queries:
            command += ["-q", query]
        run(*command)
        shutil.copyfile(msi, args.output)


if __name__ == "__main__":
    try:
        main()
    except RuntimeError as error:
        sys.exit(f"make_msi.py: {error}")

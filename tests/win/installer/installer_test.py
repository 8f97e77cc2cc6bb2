#!/usr/bin/env python3
"""The plug-in's package under Wine's own msiexec, as a workstation meets it.

Each group of cases runs in a Wine prefix made fresh for it under the scratch
folder: a refused install, then install, the shell, uninstall and the
registry compared with regsvr32's, then upgrade, repair and downgrade.
Writes a JUnit-style report with one testcase per case; exits non-zero when
a case failed.
"""
import argparse
import filecmp
import os
import re
import shutil
import subprocess
import sys
import threading
import time
import traceback
import xml.etree.ElementTree as ET

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
sys.dont_write_bytecode = True  # nothing of the build lands in the source tree
sys.path.insert(0, os.path.join(ROOT, "installer"))
from make_msi import file_version, msi_property, msi_table, msi_tables  # noqa: E402
PLUGIN_DLL = "KXPlayerPlugin.dll"
SHELL_FOLDER = "Map"  # C:\Map in each prefix: the stand-in shell's copy
CLASSES = {
    "{62686D1E-5943-4108-B38F-F1954CE92638}": "KXProject.KXActiveXForm",
    "{A67BB076-0A0A-4434-818A-30FEFDD6E05F}": "KXProject.KXPlayer",
}
LIBID = "{9022800D-9F3F-431E-B07A-FE6C7F027953}"
MACHINE_CLASSES = r"HKLM\Software\Classes"
REMEMBERED_KEY = r"HKLM\Software\KXPlayerPlugin"  # the package's own value ShellDir
# The Windows Installer's own records of the product, not rows of the package,
# and the containers of such records that Wine's installer leaves behind empty.
INSTALLER_BOOKKEEPING = re.compile(r"^hk(lm|cu)\\software\\classes\\installer(\\|$)")
INSTALLER_CONTAINERS = {rf"hklm\software\classes\installer{sub}" for sub in ("", r"\products", r"\features",
                                                                                  r"\upgradecodes")}
# A settings file whose values all differ from the defaults, in the panel's
# own form (vehicle icon 12, 600x, stops not skipped, five-minute minimum...).
CUSTOM_SETTINGS = "\r\n".join([
    "\ufeff<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
    "<AppSettings xmlns=\"urn:kxplayer:settings:1\">", "<Settings>",
    "<LoadKT>true</LoadKT>", "<LoadIT>true</LoadIT>", "<GroupID>2</GroupID>", "<IconNum>12</IconNum>",
    "<CarID>3</CarID>", "<DateTimeBegin>04.02.2009 00:00:00</DateTimeBegin>",
    "<DateTimeEnd>05.02.2009 23:59:00</DateTimeEnd>", "<Speed>600x</Speed>", "<Stops>false</Stops>",
    "<Cont>300</Cont>", "<InfoPointsCount>1</InfoPointsCount>", "<InfoPoints>",
    "<InfoPoints1 name=\"Список остановок\" VisibleList=\"false\" VisibleIcon=\"true\" query=\"parks\" Icon=\"IcP\"/>",
    "</InfoPoints>", "</Settings>", "</AppSettings>", ""]).encode("utf-8")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wine_environment():
    """The project's Wine set-up (scripts/env.sh): loader, architecture."""
    out = subprocess.run(["bash", "-c", f"source '{ROOT}/scripts/env.sh' && env -0"],
                         stdout=subprocess.PIPE, check=True).stdout.decode()
    return dict(item.split("=", 1) for item in out.split("\0") if "=" in item)


class Prefix:
    """A Wine prefix made fresh, with the null graphics driver and Wine's fonts."""

    def __init__(self, base_env, path, boot=True):
        self.path = path
        self.env = dict(base_env, WINEPREFIX=path, WINEDLLOVERRIDES="mscoree,mshtml=")
        if not boot:
            return
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        self.run("wineboot", "-i", wine=False)
        self.wait()
        self.wine("reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d", "null", "/f")
        self.wine("reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog", "/t", "REG_DWORD",
                  "/d", "0", "/f")
        fonts = os.path.join(path, "drive_c", "windows", "Fonts")
        os.makedirs(fonts, exist_ok=True)
        for name in os.listdir("/usr/share/wine/fonts"):
            shutil.copy("/usr/share/wine/fonts/" + name, fonts)
        self.wait()

    def copy(self, path):
        """A prefix of its own with this one's contents (this one's Wine has ended)."""
        self.wait()
        shutil.rmtree(path, ignore_errors=True)
        subprocess.run(["cp", "-a", self.path, path], check=True)
        return Prefix(self.env, path, boot=False)

    def c(self, *parts):
        """The Unix path of C:\\<parts>."""
        return os.path.join(self.path, "drive_c", *parts)

    def run(self, *command, wine=True, timeout=180):
        command = ["wine", *command] if wine else list(command)
        # Output to a file: Wine's helper processes would hold a pipe open.
        with open(os.path.join(self.path, "last-output.txt"), "w+b") as out:
            result = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, timeout=timeout)
            out.seek(0)
            return result.returncode, out.read().decode("utf-8", "replace")

    def wine(self, *command, timeout=180):
        return self.run(*command, timeout=timeout)[0]

    def wait(self):
        subprocess.run(["wineserver", "-w"], env=self.env, check=True)

    def msiexec(self, *arguments):
        """msiexec's exit code (Wine hands back its low byte), once all its processes ended."""
        code = self.wine("msiexec", *arguments, "/qn")
        self.wait()
        return code

    def registry(self):
        """The prefix's registry as its files hold it once Wine has ended:
        {"hklm\\key" or "hkcu\\key": {value name ("" the default): data line}},
        names in lower case, as the registry does not tell them apart by case.
        Reading the files takes milliseconds where `reg export` takes many seconds."""
        self.wait()
        keys = {}
        for root, name in (("hklm", "system.reg"), ("hkcu", "user.reg")):
            with open(os.path.join(self.path, name), encoding="utf-8", errors="replace") as f:
                text = re.sub(r"\\\n\s*", "", f.read())  # continued lines
            values = None
            for line in text.splitlines():
                head = re.match(r"^\[(.*)\]( \d+)?$", line)
                if head:
                    values = keys.setdefault(root + "\\" + head.group(1).replace("\\\\", "\\").lower(), {})
                    continue
                value = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line)
                if value and values is not None:
                    values[unescape(value.group(1)).lower() if value.group(1) != "@" else ""] = value.group(2)
        return keys

    def query(self, key, name=""):
        """A string value's data, or None."""
        data = self.registry().get(key.lower(), {}).get(name.lower())
        return unescape(data) if data and data.startswith('"') else data


def unescape(quoted):
    return re.sub(r"\\(.)", r"\1", quoted[1:-1])


def classes(registry):
    """HKCR: the machine's and the user's classes, as value lines by key."""
    return {key: {f"{name}={data}" for name, data in values.items()}
            for key, values in registry.items()
            if re.match(r"^hk(lm|cu)\\software\\classes(\\|$)", key)}


def added(before, after):
    """Keys and value lines present after and not before."""
    keys = {k for k in after if k not in before}
    values = {(k, v) for k, lines in after.items() for v in lines if v not in before.get(k, set())}
    return keys, values


def ours(keys_values):
    keys, values = keys_values
    return ({k for k in keys if not INSTALLER_BOOKKEEPING.match(k)},
            {(k, v) for k, v in values if not INSTALLER_BOOKKEEPING.match(k)})


def read(path):
    with open(path, "rb") as f:
        return f.read()


def windows_path(unix_path):
    return "Z:" + unix_path.replace("/", "\\")


class Suite:
    def __init__(self, args):
        self.args = args
        self.env = wine_environment()
        self.cases = []  # (name, seconds, failure text or None)
        self.template = None
        self.template_lock = threading.Lock()
        self.prefixes = []

    def case(self, name, body):
        start = time.monotonic()
        try:
            body()
            failure = None
        except Exception as error:  # a case's fault is reported, the next ones run
            failure = str(error) if isinstance(error, Failure) else traceback.format_exc()
        self.record(name, time.monotonic() - start, failure)

    def group(self, setup, cases):
        """Cases that share a prefix made by setup, in order; all fail if it cannot be made."""
        start = time.monotonic()
        try:
            setup()
        except Exception:
            failure = "the prefix could not be prepared:\n" + traceback.format_exc()
            for name, _ in cases:
                self.record(name, time.monotonic() - start, failure)
            return
        print(f"prefix for {cases[0][0]} and the next ready ({time.monotonic() - start:.1f} s)", flush=True)
        for name, body in cases:
            self.case(name, body)

    def record(self, name, seconds, failure):
        self.cases.append((name, seconds, failure))
        print(f"[{'  OK  ' if failure is None else 'FAILED'}] {name} ({seconds:.1f} s)"
              + ("" if failure is None else "\n" + failure), flush=True)

    def prefix(self, name):
        """A fresh prefix: a copy of one made by wineboot for this run (copying
        takes a few seconds, wineboot many more on a busy machine)."""
        scratch = os.path.abspath(self.args.scratch)
        with self.template_lock:
            if self.template is None:
                self.template = Prefix(self.env, os.path.join(scratch, "template"))
            self.prefixes.append(self.template.copy(os.path.join(scratch, name)))
            return self.prefixes[-1]

    def copy_shell(self, prefix):
        """The stand-in shell in C:\\Map, as on a workstation, and the dispatcher registered."""
        folder = prefix.c(SHELL_FOLDER)
        os.makedirs(folder)
        shutil.copy(os.path.join(self.args.bin, "KXShell.exe"), folder)
        check(prefix.wine(os.path.join(self.args.bin, "KXDispatcher.exe"), "/RegServer") == 0,
              "registering the stand-in dispatcher failed")
        prefix.wait()
        return folder

    def install(self, prefix, package, *properties):
        shutil.copy(package, prefix.c())
        return prefix.msiexec("/i", "C:\\" + os.path.basename(package), *properties)

    # Cases --------------------------------------------------------------

    def versions_agree(self):
        pairs = [(self.args.dll, self.args.package)]
        if self.args.shipped_package:
            pairs.append((self.args.shipped_dll, self.args.shipped_package))
        for dll, package in pairs:
            check(os.path.exists(package), f"{package} was not built")
            product = msi_property(package, "ProductVersion")
            check(product == self.args.version, f"{package}: ProductVersion {product}, project {self.args.version}")
            check(file_version(dll) == self.args.version + ".0",
                  f"{dll}: version resource {file_version(dll)}, project {self.args.version}")

    def package_registers_without_running_the_dll(self):
        check("SelfReg" not in msi_tables(self.args.package), "the package has a SelfReg table")
        for action in msi_table(self.args.package, "CustomAction"):
            # 51: a property set from a formatted text; nothing else may run.
            check(int(action["Type"]) & 0x3F == 51, f"custom action {action['Action']} of type {action['Type']}")
        messages = [row["Description"] for row in msi_table(self.args.package, "LaunchCondition")
                    if "SHELLDIR" in row["Condition"]]
        check(len(messages) == 2, f"launch conditions on SHELLDIR: {messages}")
        for message in messages:
            check("SHELLDIR" in message and "папк" in message.lower() and "folder" in message,
                  f"the message does not name SHELLDIR in Russian and English: {message}")

    def shipped_package_matches_the_tested_one(self):
        """The 32-bit package, which cannot be installed here, holds the tested
        package's rows for its own platform, from the same source."""
        def rows(package, component):
            return sorted((r["Root"], r["Key"], r["Name"], r["Value"]) for r in msi_table(package, "Registry")
                          if r["Component_"] == component)
        tested = [(root, key.replace("\\win64", "\\win32"), name, value)
                  for root, key, name, value in rows(self.args.package, "Plugin")]
        check(rows(self.args.shipped_package, "Plugin") == sorted(tested), "the registry rows differ")
        components = {r["Component"]: int(r["Attributes"]) for r in msi_table(self.args.shipped_package, "Component")}
        check(list(components) == ["Plugin"] and not components["Plugin"] & 256, f"components: {components}")
        for table in ("LaunchCondition", "AppSearch", "DrLocator", "CustomAction", "Upgrade"):
            check(len(msi_table(self.args.shipped_package, table)) == len(msi_table(self.args.package, table)),
                  f"the {table} tables differ")

    def refused_installs(self):
        ws = {}

        def setup():
            ws["prefix"] = self.prefix("refused")

        def refused_without_a_shell_folder():
            prefix = ws["prefix"]
            before = classes(prefix.registry())
            check(self.install(prefix, self.args.package) != 0, "an install without SHELLDIR succeeded")
            check(self.install(prefix, self.args.package, "SHELLDIR=C:\\Nowhere\\") != 0,
                  "an install into a folder that does not exist succeeded")
            for folder in ("Nowhere", "Shell"):  # Shell: the folder's default name in the package
                check(not os.path.exists(prefix.c(folder)), f"C:\\{folder} was made")
            check(classes(prefix.registry()) == before, "the refused installs changed HKCR")
            check(prefix.query(REMEMBERED_KEY, "ShellDir") is None, "the folder was remembered")

        return setup, [("RefusedWithoutAShellFolder", refused_without_a_shell_folder)]

    def install_run_and_remove(self):
        """Install, shell run, uninstall and regsvr32: one prefix, in this order."""
        ws = {}

        def setup():
            ws["prefix"] = prefix = self.prefix("install")
            ws["plugins"] = os.path.join(self.copy_shell(prefix), "Plugins")
            ws["before"] = classes(prefix.registry())

        def installs_into_the_shell_folder():
            prefix, plugins = ws["prefix"], ws["plugins"]
            check(self.install(prefix, self.args.package, f"SHELLDIR=C:\\{SHELL_FOLDER}\\") == 0, "install failed")
            check(filecmp.cmp(os.path.join(plugins, PLUGIN_DLL), self.args.dll, shallow=False),
                  "the DLL in Plugins is not the one built")
            path = f"C:\\{SHELL_FOLDER}\\Plugins\\{PLUGIN_DLL}"
            for clsid, progid in CLASSES.items():
                server = prefix.query(rf"{MACHINE_CLASSES}\CLSID\{clsid}\InprocServer32")
                check(server == path, f"{clsid} is served by {server}")
                check(prefix.query(rf"{MACHINE_CLASSES}\{progid}\CLSID") == clsid, f"{progid} does not name {clsid}")
            check(prefix.query(rf"{MACHINE_CLASSES}\TypeLib\{LIBID}\1.0") == "KXProject Library", "no type library")
            check(prefix.query(REMEMBERED_KEY, "ShellDir") == f"C:\\{SHELL_FOLDER}\\", "the folder is not remembered")
            ws["installed"] = classes(prefix.registry())

        def shell_docks_the_installed_panel():
            prefix, plugins = ws["prefix"], ws["plugins"]
            scenario = os.path.join(prefix.path, "scenario.txt")
            with open(scenario, "w") as f:
                f.write("wait-panel 10000\nwait-groups 15000\n")
            report = os.path.join(prefix.path, "report.txt")
            prefix.wine(os.path.join(os.path.dirname(plugins), "KXShell.exe"), "--scenario", windows_path(scenario),
                        "--report", windows_path(report), "--shots", windows_path(prefix.path + "/shots"))
            prefix.wait()
            with open(report, encoding="utf-8") as f:
                text = f.read()
            lines = [line.split(": ", 1) for line in text.splitlines() if ": " in line]
            first = {}
            for key, value in lines:
                first.setdefault(key, value)
            check(first.get("page.window", "").startswith("docked"), "the panel is not docked:\n" + text)
            check(any(k == "step" and "wait-groups" in v and "| ok |" in v for k, v in lines),
                  "the panel lists no groups:\n" + text)
            check(first.get("leaks") == "0", "references left:\n" + text)

        def uninstall_keeps_only_the_settings():
            prefix, plugins = ws["prefix"], ws["plugins"]
            settings = os.path.join(plugins, "KXSettings.xml")
            if not os.path.exists(settings):  # the shell run writes one
                with open(settings, "wb") as f:
                    f.write(CUSTOM_SETTINGS)
            shutil.copy(settings, settings + ".bak")
            kept = {name: read(os.path.join(plugins, name)) for name in ("KXSettings.xml", "KXSettings.xml.bak")}
            check(prefix.msiexec("/x", "C:\\" + os.path.basename(self.args.package)) == 0, "uninstall failed")
            left = sorted(os.listdir(plugins))
            check(left == sorted(kept), f"left in Plugins: {left}")
            for name, data in kept.items():
                check(read(os.path.join(plugins, name)) == data, f"{name} changed")
            after = classes(prefix.registry())
            keys, values = added(ws["before"], after)
            keys = {key for key in keys if not (key in INSTALLER_CONTAINERS and not after[key])}
            gone_keys, gone_values = added(after, ws["before"])
            check(not keys and not values and not gone_keys and not gone_values,
                  f"HKCR differs from before the install: added {sorted(keys)[:5]} {sorted(values)[:5]}, "
                  f"missing {sorted(gone_keys)[:5]} {sorted(gone_values)[:5]}")
            check(prefix.query(REMEMBERED_KEY, "ShellDir") is None, "the remembered folder is left")

        def rows_match_dll_register_server():
            prefix, plugins = ws["prefix"], ws["plugins"]
            check("installed" in ws, "no install to compare")
            package_rows = ours(added(ws["before"], ws["installed"]))
            # The same DLL at the same place, registered by itself.
            shutil.copy(self.args.dll, plugins)
            check(prefix.wine("regsvr32", "/s", f"C:\\{SHELL_FOLDER}\\Plugins\\{PLUGIN_DLL}") == 0, "regsvr32 failed")
            registered = ours(added(ws["before"], classes(prefix.registry())))
            # Wine's type-library registration writes paths in their long form,
            # \\?\C:\..., the same file as C:\...
            registered = (registered[0], {(key, line.replace(r'="\\\\?\\', '="')) for key, line in registered[1]})
            only_package = (sorted(package_rows[0] - registered[0]), sorted(package_rows[1] - registered[1]))
            only_dll = (sorted(registered[0] - package_rows[0]), sorted(registered[1] - package_rows[1]))
            check(package_rows == registered,
                  f"only the package writes {only_package}\nonly DllRegisterServer writes {only_dll}")

        return setup, [
            ("InstallsIntoTheShellFolder", installs_into_the_shell_folder),
            ("ShellDocksTheInstalledPanel", shell_docks_the_installed_panel),
            ("UninstallKeepsOnlyTheSettings", uninstall_keeps_only_the_settings),
            ("RegistryRowsMatchDllRegisterServer", rows_match_dll_register_server),
        ]

    def upgrade_repair_downgrade(self):
        ws = {}

        def setup():
            ws["prefix"] = prefix = self.prefix("upgrade")
            ws["dll"] = os.path.join(self.copy_shell(prefix), "Plugins", PLUGIN_DLL)

        def installed_versions():
            code, out = ws["prefix"].run("reg", "query", r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                                         "/s", "/v", "DisplayName")
            return sorted(name.strip() for name in re.findall(r"DisplayName\s+REG_SZ\s+(KXPlayerPlugin.*)", out))

        def upgrade_keeps_the_settings():
            prefix, dll = ws["prefix"], ws["dll"]
            check(self.install(prefix, self.args.older_package, f"SHELLDIR=C:\\{SHELL_FOLDER}\\") == 0,
                  "installing the older package failed")
            settings = os.path.join(os.path.dirname(dll), "KXSettings.xml")
            with open(settings, "wb") as f:
                f.write(CUSTOM_SETTINGS)
            # No SHELLDIR: the package finds the folder the older one remembered.
            check(self.install(prefix, self.args.package) == 0, "the upgrade failed")
            check(read(settings) == CUSTOM_SETTINGS, "the settings file changed")
            check(filecmp.cmp(dll, self.args.dll, shallow=False), "the DLL is not the new package's")
            check(installed_versions() == [f"KXPlayerPlugin {self.args.version}"], f"installed: {installed_versions()}")

        def repair_brings_the_dll_back():
            prefix, dll = ws["prefix"], ws["dll"]
            os.remove(dll)
            clsid = next(iter(CLASSES))
            check(prefix.wine("reg", "delete", rf"{MACHINE_CLASSES}\CLSID\{clsid}", "/f") == 0, "could not delete a class")
            # What `msiexec /fa` does; Wine's msiexec /f repairs nothing.
            check(self.install(prefix, self.args.package, "REINSTALL=ALL", "REINSTALLMODE=omus") == 0,
                  "the repair failed")
            check(os.path.exists(dll), "the DLL is still missing")
            check(prefix.query(rf"{MACHINE_CLASSES}\CLSID\{clsid}\InprocServer32") is not None, "the class is missing")

        def downgrade_is_refused():
            prefix, dll = ws["prefix"], ws["dll"]
            check(self.install(prefix, self.args.older_package) != 0, "the older package replaced the newer one")
            check(filecmp.cmp(dll, self.args.dll, shallow=False), "the DLL changed")
            check(installed_versions() == [f"KXPlayerPlugin {self.args.version}"], f"installed: {installed_versions()}")

        return setup, [
            ("UpgradeKeepsTheSettingsFile", upgrade_keeps_the_settings),
            ("RepairBringsTheDllBack", repair_brings_the_dll_back),
            ("DowngradeIsRefused", downgrade_is_refused),
        ]

    def run(self):
        self.case("VersionsAgree", self.versions_agree)
        self.case("PackageRegistersWithoutRunningTheDll", self.package_registers_without_running_the_dll)
        if self.args.shipped_package:
            self.case("ShippedPackageMatchesTheTestedOne", self.shipped_package_matches_the_tested_one)
        groups = [self.refused_installs(), self.install_run_and_remove(), self.upgrade_repair_downgrade()]
        # The groups' prefixes are independent: they run side by side, which
        # shortens the run where the machine has cores to spare.
        threads = [threading.Thread(target=self.group, args=group) for group in groups]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        for prefix in self.prefixes:
            prefix.wait()
        order = [name for _, cases in groups for name, _ in cases]
        self.cases.sort(key=lambda case: order.index(case[0]) if case[0] in order else -1)

    def write_report(self, path):
        suite = ET.Element("testsuite", name="installer", tests=str(len(self.cases)),
                           failures=str(sum(1 for c in self.cases if c[2])))
        for name, seconds, failure in self.cases:
            case = ET.SubElement(suite, "testcase", classname="Installer", name=name, time=f"{seconds:.3f}")
            if failure:
                ET.SubElement(case, "failure", message=failure.splitlines()[0] if failure else "").text = failure
        os.makedirs(os.path.dirname(path), exist_ok=True)
        root = ET.Element("testsuites")
        root.append(suite)
        ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--package", required=True, help="the package of the tested platform")
    parser.add_argument("--older-package", required=True, help="the same with a lower version")
    parser.add_argument("--dll", required=True, help="the DLL in the package")
    parser.add_argument("--shipped-package", help="the 32-bit package, when another tree built it")
    parser.add_argument("--shipped-dll")
    parser.add_argument("--version", required=True, help="the project's version")
    parser.add_argument("--bin", required=True, help="the folder of KXShell.exe and KXDispatcher.exe")
    parser.add_argument("--scratch", required=True)
    parser.add_argument("--report", required=True)
    args = parser.parse_args()
    suite = Suite(args)
    start = time.monotonic()
    suite.run()
    suite.write_report(args.report)
    failed = sum(1 for c in suite.cases if c[2])
    if not failed:  # four prefixes take some 3 GB; kept only to look into a failure
        shutil.rmtree(args.scratch, ignore_errors=True)
    print(f"{len(suite.cases) - failed} passed, {failed} failed in {time.monotonic() - start:.0f} s")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

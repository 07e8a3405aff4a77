"""Running kxpsui-host from the tests, natively or under Wine, and what a run
may leave behind."""
import glob
import os
import subprocess
import tempfile


def run_captured(command, cwd, env, timeout=300):
    """Runs command and returns (status, stdout bytes, stderr bytes). The output
    goes into files: Wine's background services inherit the tool's handles, and
    a pipe would stay open until they leave."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        status = subprocess.run(command, cwd=cwd, env=env, stdout=out, stderr=err, timeout=timeout).returncode
        out.seek(0)
        err.seek(0)
        return status, out.read(), err.read()


def listing(folder):
    """Every file and folder under folder, as relative paths."""
    found = []
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            found.append(os.path.relpath(os.path.join(root, name), folder))
    return sorted(found)


class Traces:
    """Where a run could leave something: the working directory, the
    temporary folder and, under Wine, the spooler's drivers and printers and
    its driver directory. The native build's temporary folder is a private
    one (TMP); Wine's is the prefix's own."""

    def __init__(self, work, runner, probe):
        self.work = work
        self.runner = runner
        self.probe = probe
        self.prefix = runner[1] if runner else None
        if self.prefix:
            self.temp = (glob.glob(os.path.join(self.prefix, "drive_c", "users", "*", "Temp")) + [None])[0]
        else:
            self.temp = os.path.join(work, "tmp")
            os.makedirs(self.temp, exist_ok=True)
        self.env = dict(os.environ, LC_ALL="en_US.UTF-8")
        if not self.prefix:
            self.env["TMP"] = self.temp

    def files(self, cwd):
        """The working directory's and the temporary folder's entries."""
        return {"working directory": listing(cwd), "temporary folder": listing(self.temp) if self.temp else []}

    def spooler(self):
        """What the shared spooler holds (Wine only): its drivers, printers and
        the files of its driver directory."""
        if not self.prefix:
            return {}
        status, out, err = run_captured(self.runner + [self.probe, "list"], self.work, self.env)
        directory = os.path.join(self.prefix, "drive_c", "windows", "system32", "spool", "drivers", "x64", "3")
        return {"spooler": (status, out.decode("utf-8", "replace").splitlines()),
                "driver directory": listing(directory)}


class Checks:
    """Collects failures, printing each with what was got."""

    def __init__(self):
        self.failures = 0

    def __call__(self, condition, what, got=""):
        if not condition:
            self.failures += 1
            print("FAIL " + what + (": " + str(got) if got != "" else ""))
        return condition

    def status(self):
        print("%d failures" % self.failures)
        return 1 if self.failures else 0

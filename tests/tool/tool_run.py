"""Running kxpsui-host from the tests, natively or under Wine."""
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

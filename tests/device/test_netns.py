"""The network-namespace runner where no namespace can be made: it fails and does not run
its command, so that a run without the namespace never passes as a tested broadcast."""
import os
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
NETNS = os.path.join(HERE, "netns.sh")
NOBODY = 65534


class WithoutANamespaceTest(unittest.TestCase):
    def test_the_run_fails_and_its_command_never_runs(self):
        with tempfile.TemporaryDirectory() as folder:
            os.chmod(folder, 0o777)
            marker = os.path.join(folder, "command-ran")
            argv = [NETNS, "--", "/usr/bin/touch", marker]
            if os.geteuid() == 0:
                # Root may make namespaces: run as a user that may not.
                argv = ["/usr/bin/setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY,
                        "--clear-groups", "--"] + argv
            run = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, timeout=120)
            self.assertNotEqual(run.returncode, 0, run.stderr)
            self.assertFalse(os.path.exists(marker))
            self.assertIn(b"no network namespace", run.stderr)
            self.assertIn(b"the broadcast is not tested", run.stderr)


if __name__ == "__main__":
    unittest.main()

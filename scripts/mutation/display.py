"""An X server of the runner's own: the tests' windows never reach a
desktop, and a server that ends mid-run is noticed instead of counting
every fault after it as caught."""

import os
import select
import subprocess


class OwnDisplay:
    def __init__(self, log):
        read, write = os.pipe()
        with open(log, "wb") as out:
            # A session of its own: a Ctrl+C meant for the runner leaves it
            # to the runner to end.
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write,), stdin=subprocess.DEVNULL, stdout=out, stderr=out, start_new_session=True)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read], [], [], 30)
            chunk = os.read(read, 16) if ready else b""
            if not chunk:
                self.close()
                raise SystemExit("mutate: Xvfb did not start; see %s" % log)
            number += chunk
        os.close(read)
        self.name = ":" + number.decode().strip()

    def alive(self):
        return self.process.poll() is None

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

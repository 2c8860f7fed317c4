"""Ending a process that leads a process group of its own, with whatever it started in it."""

import os
import signal
import subprocess


def end(process, grace=5):
    """Asks the group to end, then makes it; what the leader left behind goes too."""
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
            process.wait(grace)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        except ProcessLookupError:
            pass
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass

"""A home of its own for a test and whatever it starts: HOME, the XDG folders and the settings
all lie in a folder that goes with the test, so nothing of the person's own is read or changed.

Run as a program, it runs the command given in a temporary one, with a TMPDIR beside it, all
removed when the command ends:
    privatehome.py COMMAND [ARGUMENT...]"""

import os
import shutil
import subprocess
import sys
import tempfile


def variables(directory):
    """Makes a home and a runtime folder in directory, and returns the variables that use them."""
    home = os.path.join(directory, "home")
    runtime = os.path.join(directory, "runtime")
    for path in (home, runtime):
        os.makedirs(path, mode=0o700, exist_ok=True)
    return {
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_CACHE_HOME": os.path.join(home, ".cache"),
        "XDG_STATE_HOME": os.path.join(home, ".local", "state"),
        "XDG_RUNTIME_DIR": runtime,
        # The AT-SPI bus launcher stores ScreenReaderEnabled in GSettings. Should a
        # dconf-service start all the same, it writes under the XDG_CONFIG_HOME above.
        "GSETTINGS_BACKEND": "memory",
    }


def main():
    directory = tempfile.mkdtemp(prefix="tintenwijzer-home-")
    try:
        # The Wayland session, run as root, runs as another user, who must reach its folder.
        os.chmod(directory, 0o755)
        # Wine's server folder and lintian's scratch files go there, not in /tmp for good.
        scratch = os.path.join(directory, "tmp")
        os.mkdir(scratch)
        os.chmod(scratch, 0o1777)
        env = dict(os.environ, TMPDIR=scratch, **variables(directory))
        status = subprocess.run(sys.argv[1:], env=env, check=False).returncode
    finally:
        shutil.rmtree(directory, ignore_errors=True)
    # A command ended by a signal ends this one as a shell would report it.
    sys.exit(status if status >= 0 else 128 - status)


if __name__ == "__main__":
    main()

"""Wine for the Windows program: a prefix of its own, made once, and the variables that use it."""

import os
import shutil
import struct
import subprocess

# wineboot takes about 10 s; these only matter when it hangs.
BOOT_TIMEOUT = 300
WINE64 = "/usr/lib/wine/wine64"


def loader(exe):
    """The Wine that runs exe itself. Once wine32 is installed, plain wine is the 32-bit loader,
    which hands a 64-bit exe on to another process and ends at once."""
    with open(exe, "rb") as file:
        header = file.read(4096)
    offset = struct.unpack_from("<I", header, 0x3C)[0]
    machine = struct.unpack_from("<H", header, offset + 4)[0]
    return WINE64 if machine == 0x8664 and os.path.exists(WINE64) else "wine"


def environment(prefix):
    return {
        "WINEPREFIX": prefix,
        "WINEDEBUG": "-all",
        # No Mono or Gecko installer, and no menu entries or icons outside the prefix.
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
    }


def make_prefix(prefix):
    """Makes the prefix unless it is there; a half-made one from an interrupted run is redone."""
    if os.path.exists(os.path.join(prefix, "system.reg")):
        return
    scratch = prefix + ".new"
    shutil.rmtree(scratch, ignore_errors=True)
    env = dict(os.environ, **environment(scratch))
    env.pop("DISPLAY", None)
    # wine64 makes a WoW64 prefix, in which the 32-bit exe runs too once wine32 is installed.
    boot = [WINE64, "wineboot", "-i"] if os.path.exists(WINE64) else ["wineboot", "-i"]
    subprocess.run(boot, env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True,
                   timeout=BOOT_TIMEOUT)
    subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=BOOT_TIMEOUT)
    shutil.rmtree(prefix, ignore_errors=True)
    os.rename(scratch, prefix)


def stop(prefix):
    """Ends every Wine process of the prefix, its server included, and waits until they are gone."""
    env = dict(os.environ, **environment(prefix))
    for option in ("-k", "-w"):
        subprocess.run(["wineserver", option], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False, timeout=BOOT_TIMEOUT)


def skip_reason():
    """Why the exe cannot run here, from scripts/probe-32bit where it is a 32-bit one; None
    where it can."""
    probe = os.environ.get("TINTENWIJZER_PROBE_32BIT")
    if not probe:
        return None
    result = subprocess.run([probe, "--wine"], capture_output=True, text=True, check=False,
                            timeout=BOOT_TIMEOUT)
    if result.returncode == 0:
        return None
    return "32-bit Windows program: not run: " + result.stdout.strip()

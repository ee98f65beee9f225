"""Runs Orca for a test: its debug log written line by line, so that the test can follow it as it
grows (Orca keeps the file in a block buffer), and without touching other Orcas of the same user
(Orca finds them by the process name "orca"; its --replace would kill them, and without it Orca
would not start beside them). Arguments: the log file, then Orca's own arguments."""
import builtins
import runpy
import sys

log = sys.argv[1]
plain_open = builtins.open


def line_buffered(file, mode="r", *args, **kwargs):
    if file == log and "w" in mode:
        return plain_open(file, mode, buffering=1, encoding="utf-8")
    return plain_open(file, mode, *args, **kwargs)


builtins.open = line_buffered
sys.argv = ["orca"] + sys.argv[2:] + ["--debug-file", log]
launcher = runpy.run_path("/usr/bin/orca", run_name="orca_launcher")
names = launcher["main"].__globals__
names["setProcessName"] = lambda name: None
names["otherOrcas"] = lambda: []
sys.exit(names["main"]())

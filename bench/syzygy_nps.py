#!/usr/bin/env python3
"""Node rate in endgames that probe the Syzygy tables all the time, run by
hand: syzygy_nps.py ENGINE [--threads N] [--tables PATH] [--seconds S].

Searches each position for S seconds through UCI with the tables loaded
and prints the nodes per second of each and of all together. Compare two
builds by running them alternately on a quiet machine."""
import argparse
import os
import re
import subprocess

# Five and six men whose captures and pawn moves lead into the 3- and 4-man
# tables, so that most nodes below a capture probe them.
POSITIONS = [
    "8/8/2k5/8/2PKp3/8/8/5r2 w - - 0 1",
    "6k1/8/6K1/5P2/8/8/r7/1R6 b - - 0 1",
    "8/3k4/8/2pP4/8/3K4/8/7R w - - 0 1",
    "8/8/1r6/4k3/8/3B4/2N5/4K3 w - - 0 1",
    "4k3/8/8/3nb3/8/8/3Q4/4K3 w - - 0 1",
    "8/5k2/3p4/1p1P4/1P6/5K2/8/8 w - - 0 1",
]

TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data")


def search(engine, fen, threads, tables, seconds):
    """Returns (nodes, milliseconds) of the last info line of one search."""
    commands = (f"uci\nsetoption name Threads value {threads}\nsetoption name SyzygyPath value {tables}\n"
                f"isready\nposition fen {fen}\ngo movetime {int(seconds * 1000)}\n")
    process = subprocess.Popen([engine], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    process.stdin.write(commands)
    process.stdin.flush()
    nodes = milliseconds = 0
    for line in process.stdout:
        found_nodes = re.search(r" nodes (\d+)", line)
        found_time = re.search(r" time (\d+)", line)
        if found_nodes and found_time:
            nodes, milliseconds = int(found_nodes.group(1)), int(found_time.group(1))
        if line.startswith("bestmove"):
            break
    process.stdin.write("quit\n")
    process.stdin.close()
    process.wait()
    return nodes, milliseconds


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("engine")
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--tables", default=f"{TABLES}/syzygy:{TABLES}/syzygy-wdl")
    parser.add_argument("--seconds", type=float, default=3.0)
    args = parser.parse_args()
    all_nodes = all_ms = 0
    for fen in POSITIONS:
        nodes, milliseconds = search(args.engine, fen, args.threads, args.tables, args.seconds)
        all_nodes += nodes
        all_ms += milliseconds
        print(f"{nodes / max(milliseconds, 1):9.0f} knodes/s  {fen}")
    print(f"{all_nodes / max(all_ms, 1):9.0f} knodes/s  all ({args.threads} threads)")


if __name__ == "__main__":
    main()

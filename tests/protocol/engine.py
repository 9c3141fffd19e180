"""Drives the built engine through its standard input and output."""
import contextlib
import os
import select
import subprocess
import sys
import time
import unittest

BINARY = None
# What starts the engine program when it cannot start by itself: an emulator
# (wine, qemu-aarch64), perhaps followed by a relay program.
RUNNER = []
UCI_MOVE = r"[a-h][1-8][a-h][1-8][nbrq]?"
SAN_MOVE = r"^move (O-O(-O)?|[NBRQK][a-h1-8]*x?[a-h][1-8]|[a-h](x[a-h])?[1-8](=[NBRQ])?)\+?$"
START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"




class Engine:
    """One running engine process with raw access to its pipes."""

    def __init__(self, cwd=None, argv0=None, binary=None):
        # Under the address sanitizer a failed allocation returns null, as the
        # C library's does (a hash size that cannot be had must leave the engine running).
        environment = dict(os.environ, ASAN_OPTIONS=":".join(filter(None, [os.environ.get("ASAN_OPTIONS"),
                                                                             "allocator_may_return_null=1"])))
        program = binary or BINARY
        self.process = subprocess.Popen(
            [*RUNNER, argv0 or program], executable=None if RUNNER else program, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, cwd=cwd, bufsize=0, env=environment)
        self.buffer = b""

    def write(self, data):  # in one write call, so that the bytes arrive in one read
        os.write(self.process.stdin.fileno(), data.encode() if isinstance(data, str) else data)

    def send(self, *lines):
        self.write("".join(line + "\n" for line in lines))

    def _fill(self, deadline):
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([self.process.stdout], [], [], remaining)[0]:
            return False
        chunk = os.read(self.process.stdout.fileno(), 65536)
        self.buffer += chunk
        return bool(chunk)

    def read_until(self, line, timeout=10.0):
        """The output up to the line equal to `line` (or, if callable, for which it is true)."""
        deadline = time.monotonic() + timeout
        while True:
            text = self.buffer.decode(errors="replace")
            lines, consumed = text.split("\n"), 0
            for index, candidate in enumerate(lines[:-1]):
                consumed += len(candidate) + 1
                if (candidate == line) if isinstance(line, str) else line(candidate):
                    self.buffer = self.buffer[len(text[:consumed].encode()):]
                    return "\n".join(lines[:index + 1]) + "\n"
            if not self._fill(deadline):
                raise AssertionError(f"no line {line!r} within {timeout}s; output so far: {text[-2000:]!r}")

    def output_for(self, *lines, timeout=10.0):  # what came before the pong of a ping after the lines
        marker = f"pong {time.monotonic_ns()}"
        self.send(*lines, "ping " + marker[5:])
        return self.read_until(marker, timeout)[: -len(marker) - 1]

    def output_until_ready(self, *lines, timeout=10.0):  # output_for in UCI
        self.send(*lines, "isready")
        return self.read_until("readyok", timeout)[: -len("readyok\n")]

    def bestmove(self, *lines, timeout=30.0):
        self.send(*lines)
        return self.read_until(lambda line: line.startswith("bestmove "), timeout)

    def move(self, *lines, timeout=30.0):  # the xboard move line the engine sends
        self.send(*lines)
        return self.read_until(lambda line: line.startswith("move "), timeout).splitlines()[-1]

    def quiet_for(self, seconds):  # what the engine printed within the seconds
        deadline = time.monotonic() + seconds
        while self._fill(deadline):
            pass
        text, self.buffer = self.buffer.decode(errors="replace"), b""
        return text

    def board(self, uci=False):  # eight strings of eight characters
        text = self.output_until_ready("board") if uci else self.output_for("board")
        return [line.replace(" ", "") for line in text.splitlines()]

    def stop(self):
        # As an interface does, with "quit" and the end of its input (its output
        # read, so that no write blocks it); killed only when still there after 5 s.
        if self.process.stdout.closed:
            return
        with contextlib.suppress(OSError, ValueError):  # it has ended, or its input is closed already
            self.write("\nquit\n")
        self.process.stdin.close()
        deadline = time.monotonic() + 5
        while self._fill(deadline):
            self.buffer = b""
        try:
            self.process.wait(max(0.1, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:  # its coverage counters are lost
            print(f"engine {self.process.pid} still running after 5 s: killed", file=sys.stderr)
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()


class EngineTest(unittest.TestCase):
    """A fresh engine per test; `uci` switches it to UCI at once."""
    uci = False

    def setUp(self):
        self.engine = self.start()

    def start(self, uci=None, **arguments):
        started = Engine(**arguments)
        self.addCleanup(started.stop)
        started.banner = started.output_for(timeout=30)
        if self.uci if uci is None else uci:
            started.identification = started.output_until_ready("uci")
        return started


def engine_name():  # a numbered copy such as "quor2" adds its digit
    return "Quor 1.5" + (BINARY[4] if len(BINARY) > 4 and BINARY[4] in "123456789" else "")


def board_of_fen(fen):  # the "board" rows without blanks
    return ["".join("." * int(c) if c.isdigit() else c for c in row) for row in fen.split()[0].split("/")]


def legal_moves(reference):  # those that "perft 1" lists
    return [line.split(":")[0] for line in reference.output_for("perft 1").splitlines()
            if ": " in line and not line.startswith("Nodes")]


def coordinates_of_san(reference, san):
    """An algebraic move as coordinates, found among an engine's legal moves."""
    board, moves, san = reference.board(), legal_moves(reference), san.rstrip("+#")
    piece = lambda square: board[8 - int(square[1])]["abcdefgh".index(square[0])].upper()
    if san.startswith(("O-O", "0-0")):
        fits = [m for m in moves if piece(m[:2]) == "K" and m[0] == "e" and m[2] == "gc"[san.count("-") - 1]]
    else:
        san, _, promotion = san.partition("=")
        kind = san[0] if san[0] in "NBRQK" else "P"
        target, hints = san[-2:], san[:-2].lstrip("NBRQK").replace("x", "")
        fits = [m for m in moves if m[2:4] == target and piece(m[:2]) == kind
                and all(h in m[:2] for h in hints) and m[4:].upper() == promotion]
    return fits[0] if len(fits) == 1 else None


def main():
    """Runs the tests with the engine named on the command line, then its runner's words."""
    global BINARY, RUNNER
    BINARY = os.path.abspath(sys.argv[1])
    RUNNER = sys.argv[2:]
    del sys.argv[1:]
    unittest.main(module="__main__", verbosity=2)

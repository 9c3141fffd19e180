"""Drives the built engine through its standard input and output."""
import os
import select
import subprocess
import sys
import time
import unittest

BINARY = None
# What starts the engine program, when it cannot be started by itself: an
# emulator (wine, qemu-aarch64), perhaps followed by a relay program.
RUNNER = []

# A move in the UCI coordinate form: from, to, and a promotion letter.
UCI_MOVE = r"[a-h][1-8][a-h][1-8][nbrq]?"


class Engine:
    """One running engine process with raw access to its pipes."""

    def __init__(self, args=(), cwd=None, argv0=None, binary=None):
        """`argv0` replaces the program's invocation text (its first argument);
        `binary` replaces the engine program."""
        # Under the address sanitizer a failed allocation returns null, as the
        # C library's does, instead of ending the program (a hash size that
        # cannot be had must leave the engine running).
        environment = dict(os.environ)
        environment["ASAN_OPTIONS"] = ":".join(filter(None, [environment.get("ASAN_OPTIONS"),
                                                             "allocator_may_return_null=1"]))
        program = binary or BINARY
        self.process = subprocess.Popen(
            [*RUNNER, argv0 or program, *args], executable=None if RUNNER else program, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, cwd=cwd, bufsize=0, env=environment)
        self.buffer = b""

    def write(self, data):
        """Writes bytes in one write call (so that they arrive in one read)."""
        if isinstance(data, str):
            data = data.encode()
        os.write(self.process.stdin.fileno(), data)

    def send(self, *lines):
        self.write("".join(line + "\n" for line in lines))

    def _fill(self, deadline):
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            return False
        ready, _, _ = select.select([self.process.stdout], [], [], remaining)
        if not ready:
            return False
        chunk = os.read(self.process.stdout.fileno(), 65536)
        if not chunk:
            return False
        self.buffer += chunk
        return True

    def read_until(self, line, timeout=10.0):
        """Returns everything up to and including the line that equals `line`
        (a string) or, when `line` is callable, the first line for which it
        is true. Fails the test on time-out or end of output."""
        deadline = time.monotonic() + timeout
        while True:
            text = self.buffer.decode(errors="replace")
            lines = text.split("\n")
            consumed = 0
            for index, candidate in enumerate(lines[:-1]):
                consumed += len(candidate) + 1
                if (candidate == line) if isinstance(line, str) else line(candidate):
                    self.buffer = self.buffer[len(text[:consumed].encode()):]
                    return "\n".join(lines[:index + 1]) + "\n"
            if not self._fill(deadline):
                raise AssertionError(f"no line {line!r} within {timeout}s; output so far: {text[-2000:]!r}")

    def output_for(self, *lines, timeout=10.0):
        """Sends the lines followed by a ping and returns what the engine
        printed before the pong."""
        marker = f"pong {time.monotonic_ns()}"
        self.send(*lines, "ping " + marker[5:])
        text = self.read_until(marker, timeout)
        return text[: -len(marker) - 1]

    def output_until_ready(self, *lines, timeout=10.0):
        """UCI form of output_for: sends the lines and "isready" and returns
        what the engine printed before "readyok"."""
        self.send(*lines, "isready")
        return self.read_until("readyok", timeout)[: -len("readyok\n")]

    def quiet_for(self, seconds):
        """Returns what the engine printed within `seconds`."""
        deadline = time.monotonic() + seconds
        while self._fill(deadline):
            pass
        text, self.buffer = self.buffer.decode(errors="replace"), b""
        return text

    def board(self, uci=False):
        """The engine's "board" text as eight strings of eight characters."""
        text = self.output_until_ready("board") if uci else self.output_for("board")
        return [line.replace(" ", "") for line in text.splitlines()]

    def close_input(self):
        self.process.stdin.close()

    def wait(self, timeout=10.0):
        return self.process.wait(timeout)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()
        if not self.process.stdin.closed:
            self.process.stdin.close()


class EngineTest(unittest.TestCase):
    """A test case with a fresh engine per test."""

    def setUp(self):
        self.engine = Engine()
        self.banner = self.engine.output_for()

    def tearDown(self):
        self.engine.stop()


class UciEngineTest(EngineTest):
    """A test case with a fresh engine switched to UCI; its answer to "uci"
    is kept in self.identification."""

    def setUp(self):
        super().setUp()
        self.engine.send("uci")
        self.identification = self.engine.read_until("uciok")


def is_bestmove(line):
    return line.startswith("bestmove ")


def engine_name():
    """The name the engine announces: a digit at index 4 of its invocation
    text (a numbered copy such as "quor2") is appended."""
    return "Quor 1.5" + (BINARY[4] if len(BINARY) > 4 and BINARY[4] in "123456789" else "")


def board_of_fen(fen):
    """The "board" rows (without blanks) of a FEN placement."""
    rows = []
    for row in fen.split()[0].split("/"):
        rows.append("".join("." * int(c) if c.isdigit() else c for c in row))
    return rows


def legal_moves(reference):
    """The coordinate moves that "perft 1" lists for a reference engine."""
    return [line.split(":")[0] for line in reference.output_for("perft 1").splitlines()
            if ": " in line and not line.startswith("Nodes")]


def coordinates_of_san(reference, san):
    """The coordinate text of a move given in standard algebraic notation, in
    the position of a reference engine (read from its board and its legal
    moves). None when no legal move fits."""
    san = san.rstrip("+")
    board = reference.board()
    moves = legal_moves(reference)
    def piece(square):
        return board[8 - int(square[1])]["abcdefgh".index(square[0])]
    if san.startswith("0-0") or san.startswith("O-O"):
        wanted = "c" if san.count("-") == 2 else "g"
        fits = [m for m in moves if piece(m[:2]).upper() == "K" and m[0] == "e" and m[2] == wanted]
    else:
        promotion = ""
        if "=" in san:
            san, promotion = san.split("=")
        kind = san[0] if san[0] in "NBRQK" else "P"
        body = san[1:] if kind != "P" else san
        target, hints = body[-2:], body[:-2].replace("x", "")
        fits = [m for m in moves if m[2:4] == target and piece(m[:2]).upper() == kind
                and all(h in m[:2] for h in hints) and m[4:].lower() == promotion.lower()]
    return fits[0] if len(fits) == 1 else None


def main():
    """Runs the calling module's tests with the engine named on the command
    line, after which the words of its runner may follow."""
    global BINARY, RUNNER
    BINARY = os.path.abspath(sys.argv[1])
    RUNNER = sys.argv[2:]
    del sys.argv[1:]
    unittest.main(module="__main__", verbosity=2)

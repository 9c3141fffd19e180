"""Thousands of random and mutated command lines sent to the running engine
in both protocols: it must keep answering, and its position must stay one it
can show and count moves in.

Searches are kept short so that the test stays fast: time commands are
followed by "sd 1" (xboard), every UCI go searches to depth 1, and the
commands that search without a limit come with the command that ends them."""
import random
import threading

import engine

SEED = 20261206

XBOARD = ["new", "force", "go", "playother", "new", "go", "go", "level 40 5 0", "level 0 2 12", "level 0 0:30 0.5", "sd 3", "st 10",
          "time 6000", "otim 5000", "post", "nopost", "hard", "easy", "computer", "hint", "undo", "remove",
          "result 1-0 {mate}", "result 1/2-1/2", "draw", "name Someone", "bk", "?", "e2e4", "e7e5", "g1f3",
          "b8c6", "d2d4", "e7e8q", "a7a8N", "e1g1", "e8c8", "protover 2", "ping 5", ".", "exit", "board", "chk",
          "egtb", "eval", "perft 2", "setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
          "setboard 8/8/8/4k3/8/8/8/KQQ5 b - -", "setboard r3k2r/8/8/8/8/8/8/R3K2R w KQkq -",
          "setboard 8/P6k/8/8/8/8/p6K/8 w - -", "usermove e2e4", "random", "white", "black", "accepted done",
          "option MultiPV=3", "option Move Overhead=700", "option OwnBook=0", "option Clear Hash",
          "option PolyglotBook=/dev/zero", "egtpath nalimov /no such/folder"]
UCI = ["ucinewgame", "isready", "debug on", "debug off", "stop", "ponderhit", "setoption name MultiPV value 3",
       "setoption name Ponder value true", "setoption name Ponder value false",
       "setoption name UCI_Opponent value GM 2800 computer Name", "setoption name OwnBook value false",
       "setoption name NalimovPath value /nonexistent", "setoption name NalimovCache value 4",
       "position startpos", "position startpos moves e2e4 e7e5 g1f3",
       "position fen 8/4P3/8/8/8/8/k7/4K3 w - - 0 1", "position fen 8/4P3/8/8/8/8/k7/4K3 w - - moves e7e8q a2a1",
       "position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - moves e1g1 e8c8", "go", "go depth 1",
       "go wtime 60000 btime 50000 winc 1000 binc 1000", "go movetime 2500", "go nodes 100", "board", "perft 2",
       "eval", "egtb", "chk", "go searchmoves e2e4 d2d4 nodes 5000 mate 2", "go binc 100 movestogo 5 btime 900",
       "setoption name Move Overhead value 500", "setoption name SyzygyPath value /dev/zero"]
TIME_WORDS = {"level", "st", "sd", "time", "otim", "analyze"}


def mutate(line, rng):
    for _ in range(rng.randint(1, 4)):
        kind = rng.randrange(8)
        at = rng.randint(0, len(line))
        if kind == 0 and line:
            line = line[:at] + chr(rng.randint(1, 255)) + line[at + 1:]
        elif kind == 1:
            line = line[:at] + chr(rng.randint(1, 255)) + line[at:]
        elif kind == 2:
            line = line[:at] + line[at + rng.randint(1, 5):]
        elif kind == 3:
            line = line[:at] + str(rng.randint(-10 ** 12, 10 ** 12)) + line[at:]
        elif kind == 4:
            line = line[:at]
        elif kind == 5:
            words = line.split(" ")
            rng.shuffle(words)
            line = " ".join(words)
        elif kind == 6:
            line = "".join(c.swapcase() if c.isascii() and rng.random() < 0.3 else c for c in line)
        else:
            line = line[:at] + " " * rng.randint(1, 300) + line[at:]
    return line


def random_fen(rng):
    placement = "".join(rng.choice("pnbrqkPNBRQK12345678/") for _ in range(rng.randint(0, 90)))
    return " ".join([placement, rng.choice("wbx"), rng.choice(["KQkq", "-", "Kk", "qQx"]),
                     rng.choice(["e3", "-", "h6", "a9"])])


def random_moves(rng):
    return " ".join(rng.choice("abcdefghi") + rng.choice("123456789") + rng.choice("abcdefghi") +
                    rng.choice("123456789") + (rng.choice("qrbnkx") if rng.random() < 0.1 else "")
                    for _ in range(rng.randint(0, 40)))


def random_line(rng, corpus):
    kind = rng.randrange(10)
    if kind == 0:
        return "".join(chr(rng.randint(1, 255)) for _ in range(rng.randint(0, 200)))
    if kind == 1:
        return "x" * rng.randint(4000, 9000)
    if kind == 2:
        return "setboard " + random_fen(rng)
    if kind == 3:
        return "position fen " + random_fen(rng) + " moves " + random_moves(rng)
    if kind == 4:
        return "position startpos moves " + random_moves(rng)
    if kind == 5:
        return random_moves(rng)
    return mutate(rng.choice(corpus), rng)


def first_word(line):
    words = line.replace("\r", " ").split(" ")
    return next((w for w in words if w), "").lower()


def quick_perft(line):
    """A perft line whose depth is at most 2 (deeper ones only take long)."""
    words = [w for w in line.split(" ") if w]
    return len(words) < 2 or words[1] in {"1", "2"} or not words[1][:1].isdigit()


def xboard_stream(rng, count):
    """Fuzz lines for the xboard protocol, with the short-search rules."""
    lines = []
    while len(lines) < count:
        line = random_line(rng, XBOARD).replace("\n", " ")
        word = first_word(line)
        if word in {"quit", "bench", "uci"} or (word == "perft" and not quick_perft(line)):
            continue
        lines.append(line)
        if word in TIME_WORDS:
            lines.append("exit" if word == "analyze" else "sd 1")
    return lines


def uci_stream(rng, count):
    """Fuzz lines for the UCI protocol, with the short-search rules."""
    lines = []
    while len(lines) < count:
        line = random_line(rng, UCI).replace("\n", " ")
        word = first_word(line)
        if word in {"quit", "bench", "xboard"} or "hash" in line.lower() or (word == "perft" and not quick_perft(line)):
            continue
        if word == "go":
            line = "go depth 1 " + line[line.lower().index("go") + 2:]
        lines.append(line)
    # A few searches without limits, each with the command that ends it.
    for at in sorted(rng.sample(range(len(lines)), 6), reverse=True):
        lines[at:at] = ["go infinite", "stop"] if at % 2 else ["go ponder", "ponderhit"]
    return lines


class Fuzz(engine.EngineTest):
    def check_position(self):
        board = self.engine.board()
        self.assertEqual(len(board), 8, board)
        self.assertTrue(all(len(row) == 8 and set(row) <= set(".PNBRQKpnbrqk") for row in board), board)
        squares = "".join(board)
        self.assertEqual((squares.count("K"), squares.count("k")), (1, 1), board)
        listed = engine.legal_moves(self.engine)
        self.assertEqual(len(set(listed)), len(listed))
        self.assertTrue(self.engine.output_for("perft 1").endswith(f"Nodes searched: {len(listed)}\n"))

    def feed(self, lines, sync_lines):
        """Sends the lines in chunks, each followed by a ping that the engine
        must answer (in xboard mode) before the next chunk. A thread writes,
        so that neither side can block the other on a full pipe."""
        for start in range(0, len(lines), 250):
            marker = f"fuzz{start}"
            chunk = lines[start:start + 250] + ["xboard", "ping " + marker, *sync_lines]
            data = "".join(line + "\n" for line in chunk).encode("latin-1")
            writer = threading.Thread(target=self.engine.write, args=(data,))
            writer.start()
            self.engine.read_until("pong " + marker, timeout=30)
            writer.join()

    def test_xboard_survives_random_lines(self):
        rng = random.Random(SEED)
        self.engine.output_for("sd 1")
        self.feed(xboard_stream(rng, 8000), ["sd 1"])
        self.engine.output_for("xboard", "nopost", "sd 2", "force")
        self.check_position()
        self.engine.send("new", "e2e4")
        self.engine.read_until(lambda line: line.startswith("move "), timeout=10)

    def test_uci_survives_random_lines(self):
        rng = random.Random(SEED + 1)
        self.engine.send("uci")
        self.engine.read_until("uciok")
        self.feed(uci_stream(rng, 8000), ["uci"])
        self.engine.output_for("xboard", "nopost")
        self.check_position()
        self.engine.send("uci")
        self.engine.read_until("uciok")
        self.engine.send("debug off", "ucinewgame", "position startpos moves e2e4", "go depth 2")
        self.engine.read_until(engine.is_bestmove, timeout=10)


if __name__ == "__main__":
    engine.main()

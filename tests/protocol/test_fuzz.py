"""Thousands of mutated command lines and random bytes sent to the engine in both protocols: it
must keep answering, with a position it can show and count moves in. Searches are kept short."""
import random
import threading

import engine

XBOARD = """new|force|go|playother|level 40 5 0|level 0 0:30 0.5|sd 3|st 10|time 6000|otim 5000|post|hard|hint|undo
|remove|result 1-0 {mate}|bk|?|e2e4|e7e5|e7e8q|a7a8N|e1g1|e8c8|protover 2|.|exit|board|egtb|eval|perft 2|usermove e2e4
|setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1|setboard 8/8/8/4k3/8/8/8/KQQ5 b - -|random
|setboard 8/P6k/8/8/8/8/p6K/8 w - -|option MultiPV=3|option PolyglotBook=/dev/zero|egtpath nalimov /no/f"""
XBOARD = XBOARD.replace("\n", "").split("|")
UCI = """ucinewgame|isready|debug on|stop|ponderhit|setoption name MultiPV value 3|setoption name Ponder value true
|setoption name UCI_Opponent value GM 2800 computer Name|setoption name SyzygyPath value /dev/zero
|position fen 8/4P3/8/8/8/8/k7/4K3 w - - moves e7e8q a2a1|position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - moves e1g1 e8c8
|go|go wtime 60000 btime 50000 winc 1000 binc 1000|go movetime 2500|go nodes 100|board|perft 2|eval|egtb
|go searchmoves e2e4 d2d4 nodes 5000 mate 2|go binc 100 movestogo 5 btime 900""".replace("\n", "").split("|")


def stream(rng, corpus, uci, count=8000):
    """Commands of the corpus changed in one to four places, or random bytes,
    with the short-search rules of the protocol."""
    lines = []
    while len(lines) < count:
        line = rng.choice(corpus)
        for _ in range(rng.randint(1, 4)):
            at, cut = rng.randint(0, len(line)), rng.randint(0, 5)
            line = rng.choice([line[:at] + chr(rng.randint(1, 255)) + line[at + cut:], line[:at] + line[at + cut:],
                               line[:at] + str(rng.randint(-10 ** 12, 10 ** 12)) + line[at:],
                               " ".join(rng.sample(line.split(" "), line.count(" ") + 1)),
                               "".join(c.swapcase() if c.isascii() else c for c in line),
                               "".join(chr(rng.randint(1, 255)) for _ in range(rng.randint(0, 200))).replace("\n", "")])
        words = line.replace("\r", " ").lower().split()
        word, depth = (words + [""])[0], (words + ["1", "1"])[1]
        deep_perft = word == "perft" and depth.lstrip("+-")[:1].isdigit() and depth not in {"1", "2"}  # atoi may wrap
        if word in {"quit", "bench", "xboard" if uci else "uci"} or (uci and "hash" in line.lower()) or deep_perft:
            continue
        lines.append("go depth 1 " + line[line.lower().index("go") + 2:] if uci and word == "go" else line)
        if not uci and word in {"level", "st", "sd", "time", "otim", "analyze"}:
            lines.append("exit" if word == "analyze" else "sd 1")
    for at in sorted(rng.sample(range(len(lines)), 6 if uci else 0), reverse=True):
        lines[at:at] = ["go infinite", "stop"] if at % 2 else ["go ponder", "ponderhit"]
    return lines


class Fuzz(engine.EngineTest):
    def test_both_protocols_survive_random_lines(self):
        # A thread writes, so that no side blocks on a full pipe; each chunk
        # ends with a ping the engine must answer.
        for uci, corpus, sync_lines in [(False, XBOARD, ["sd 1"]), (True, UCI, ["uci"])]:
            fuzzed = self.start()
            fuzzed.send(*sync_lines)
            lines = stream(random.Random(20261206 + uci), corpus, uci)
            for start in range(0, len(lines), 250):
                chunk = lines[start:start + 250] + ["xboard", f"ping fuzz{start}", *sync_lines]
                chunk = "".join(line + "\n" for line in chunk)
                writer = threading.Thread(target=fuzzed.write, args=(chunk.encode("latin-1"),))
                writer.start()
                fuzzed.read_until(f"pong fuzz{start}", timeout=30)
                writer.join()
            fuzzed.output_for("xboard", "nopost", "sd 2", "force")
            board = "".join(fuzzed.board())
            self.assertTrue(len(board) == 64 and set(board) <= set(".PNBRQKpnbrqk"), board)
            self.assertEqual((board.count("K"), board.count("k")), (1, 1), board)
            listed = engine.legal_moves(fuzzed)
            self.assertEqual(len(set(listed)), len(listed))
            self.assertTrue(fuzzed.output_for("perft 1").endswith(f"Nodes searched: {len(listed)}\n"))
            fuzzed.move("new", "e2e4")


if __name__ == "__main__":
    engine.main()

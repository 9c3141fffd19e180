#!/usr/bin/env python3
"""Plants small faults in the engine, one at a time, and counts which of them
the optimised test suite catches.

Each fault is a snippet of engine code and what it becomes: a comparison
turned round, an off-by-one, a wrong sign, a skipped update or a wrong
constant. The snippet is looked for in every source file of its folder (so
that a fault stays the same fault when its code moves to another file) and
must occur exactly once there. For each fault the script edits the source,
rebuilds the given build folder, runs its CTest suite until the first
failure, and puts the source back.

  scripts/plant-faults.py [--tree .] [--build build-faults] [--only 3,17] [--out faults.tsv]

The build folder is configured as a plain optimised build if it is not one
already. A fault counts as caught when the suite fails; a fault whose code
no longer builds is reported as such and counts as neither.
"""
import argparse
import pathlib
import subprocess
import sys
import time

# (folder, code as it is, code with the fault, what the fault does)
FAULTS = [
    # The board: moves, their making, attacks, notation.
    ("board", "return mover == WHITE ? to + 8 : to - 8;", "return mover == WHITE ? to - 8 : to + 8;",
     "en passant removes the pawn on the wrong side"),
    ("board", "if (findAttacker(square, enemy) < 64) return false;", "if (findAttacker(square, enemy) < 0) return false;",
     "the king may castle across an attacked square"),
    ("board", "pos.pieceCount[enemy][type]--;\n    pos.pieceTotal--;", "pos.pieceCount[enemy][type]--;",
     "a capture leaves the count of men unchanged"),
    ("board", "promotion >= KNIGHT; promotion--", "promotion > KNIGHT; promotion--",
     "no promotion to a knight"),
    ("board", "if (reversible < 4) return 0;", "if (reversible < 6) return 0;",
     "a repetition four plies back is not seen"),
    ("board", "*out++ = char('8' - row(pos.epSquare));", "*out++ = char('7' - row(pos.epSquare));",
     "FEN output names the wrong en-passant rank"),
    ("board", "from == stepSquare[square][d]);", "from != stepSquare[square][d]);",
     "a king attacks along a whole line"),
    ("board", "pos.otherSide ^= 1;\n    pos.hashKey ^= hashSeed;", "pos.otherSide ^= 1;",
     "the side to move is left out of the hash key"),
    ("board", "if (row(checker) > row(king))", "if (row(checker) < row(king))",
     "check evasions look for interpositions on the wrong line"),
    ("board", "right >> 1 == pos.sideToMove && move == pos.castling[right].move",
     "right >> 1 != pos.sideToMove && move == pos.castling[right].move", "castling rights of the wrong side"),
    # The evaluation.
    ("eval", "if (count[WHITE][BISHOP] >= 2) score += BISHOP_PAIR_BONUS", "if (count[WHITE][BISHOP] >= 3) score += BISHOP_PAIR_BONUS",
     "White's bishop pair earns nothing"),
    ("eval", "damping.black)) return score / 4;", "damping.black)) return score / 2;",
     "drawish material is damped too little"),
    ("eval", "value -= weight[W_ISOLATED];", "value += weight[W_ISOLATED];", "an isolated pawn is a bonus"),
    ("eval", "return value - weight[W_DOUBLED];", "return value + weight[W_DOUBLED];", "a doubled pawn is a bonus"),
    ("eval", "score += enemyMaterial <= 500 ? 60 : 30;", "score += enemyMaterial <= 500 ? 30 : 60;",
     "the outside passer's bonus swapped between phases"),
    ("eval", "return side == WHITE ? row(square) : 7 - row(square); }", "return side == WHITE ? row(square) : 6 - row(square); }",
     "Black's passers are counted one rank off"),
    ("eval", "BASE_TABLE[type][square ^ 56];", "BASE_TABLE[type][square ^ 63];",
     "Black's piece-square tables are also mirrored left to right"),
    ("eval", "if (rankMobility == 0) bonus -= 15;", "if (rankMobility == 0) bonus += 15;",
     "a rook shut in on its rank earns a bonus"),
    ("eval", "if (!storm) return penalty + 15;", "if (!storm) return penalty - 15;",
     "a half-open file toward the king is a bonus"),
    # The search.
    ("search", "if (score > alpha && score < beta) score = search(alpha, beta);",
     "if (score > alpha && score > beta) score = search(alpha, beta);", "a better move is not searched again in full"),
    ("search", "if (bound == BOUND_UPPER) return entry.score <= alpha;", "if (bound == BOUND_UPPER) return entry.score >= alpha;",
     "an upper bound from the table cuts off the wrong way"),
    ("search", "? 1 : (depth - 1) / 3;", "? 1 : (depth - 1) / 2;", "the null move reduces more"),
    ("search", "if (firstMove) return checked ? int16_t(ply - SCORE_BOUND) : int16_t(0);",
     "if (firstMove) return checked ? int16_t(SCORE_BOUND - ply) : int16_t(0);", "being mated scores as a win"),
    ("search", "if (pos.fiftyCount >= 100) return 0;", "if (pos.fiftyCount >= 110) return 0;",
     "the fifty-move rule draws late"),
    ("search", "return 900;", "return 300;", "exchanges count a queen as a minor piece"),
    ("search", "if (!searched && checked) return int16_t(ply - SCORE_BOUND);", "if (!searched && checked) return 0;",
     "a mate met in the capture search scores as a draw"),
    ("search", "counter += amount;", "counter -= amount;", "good quiet moves lose history"),
    ("search", "for (int i = 0; i < TT_BUCKET_ENTRIES; i++)\n        if (slotHolds",
     "for (int i = 0; i < TT_BUCKET_ENTRIES - 1; i++)\n        if (slotHolds", "the table's last slot is never found"),
    ("search", "return used * 1000 / HASHFULL_SAMPLE;", "return used * 100 / HASHFULL_SAMPLE;",
     "hashfull in percent, not per mille"),
    ("search", "avail -= mainThread.safetyMargin;", "", "the safety margin is not kept off the clock"),
    ("search", "mainThread.targetTime += tc.increment;", "", "the increment is not spent"),
    ("search", "std::min(hardLimit, avail / 2 + tc.increment)", "std::min(hardLimit, avail + tc.increment)",
     "a move may use the whole clock"),
    ("search", "return total >= searchLimits.nodes;", "return total >= 2 * searchLimits.nodes;",
     "a node budget is overrun twice over"),
    ("search", "SCORE_BOUND + 1 - score <= 2 * searchLimits.mateMoves;", "SCORE_BOUND + 1 - score <= 2 * searchLimits.mateMoves + 2;",
     "go mate N stops at a mate one move longer"),
    ("search", "weights[count] = loss <= tolerance ? tolerance + 1 - loss : 0;",
     "weights[count] = loss <= 4 * tolerance ? 4 * tolerance + 1 - loss : 0;", "a weak level tolerates far worse moves"),
    ("search", "return elapsed ? uint32_t(uint64_t(totalNodes()) * 1000 / elapsed) : 0;",
     "return elapsed ? uint32_t(uint64_t(totalNodes()) * 100 / elapsed) : 0;", "nps a tenth of the truth"),
    # The opening books.
    ("book", "if (candidates[j].weight > candidates[i].weight) std::swap", "if (candidates[j].weight < candidates[i].weight) std::swap",
     "book moves sorted worst first"),
    ("book", "castleKey[pos.castleRights & 15] ^ epKey(pos.epSquare); }", "castleKey[pos.castleRights & 15]; }",
     "the book key leaves out the en-passant square"),
    ("book", "int amount = after < 41 ? 2 * result : result;", "int amount = after < 41 ? result : 2 * result;",
     "learning weighs short games less, long ones more"),
    ("book", "plies - bookExitPly < 5 ||", "plies - bookExitPly < 50 ||", "games that leave the book late teach nothing"),
    ("book", "return 8 * (7 - row(square)) + column(square); }", "return 8 * row(square) + column(square); }",
     "Polyglot squares counted from the wrong edge"),
    ("book", "return (8 - (rank - '0')) * 8 + (file - 'a'); }", "return (7 - (rank - '0')) * 8 + (file - 'a'); }",
     "PGN squares one rank off"),
    ("book", "if (pick < candidates[i].weight) return candidates[i].move;", "if (pick > candidates[i].weight) return candidates[i].move;",
     "Polyglot choice ignores the weights"),
    # The endgame tablebases.
    ("egtb", "if (wdl == SYZYGY_WIN) return int16_t(TB_WIN_SCORE - ply);", "if (wdl == SYZYGY_WIN) return int16_t(TB_WIN_SCORE + ply);",
     "tablebase wins prefer longer ways"),
    ("egtb", "if (row(ep) != (whiteToMove ? 2 : 5)) return 0;", "if (row(ep) != (whiteToMove ? 5 : 2)) return 0;",
     "Syzygy probes drop the en-passant square"),
    ("egtb", "if (rankedMoves.moves[i].tbRank > bestRank) bestRank", "if (rankedMoves.moves[i].tbRank < bestRank) bestRank",
     "the root keeps the worst tablebase moves"),
    ("egtb", "return byte > 0 ? byte + 32640 : byte - 32640;", "return byte > 0 ? byte + 32641 : byte - 32640;",
     "Nalimov wins one move off"),
    ("egtb", "uint16_t(2 * value + 10002 - ply)", "uint16_t(2 * value + 10002 + ply)", "Nalimov mates prefer longer ways"),
    ("egtb", "return left || right ? target ^ 56 : TB_NO_EP;", "return left || right ? target : TB_NO_EP;",
     "Nalimov probes name the en-passant square upside down"),
    # The engine's services.
    ("engine", "if (pathKind(name) != PathKind::Missing || !*programFolder()) return name;",
     "if (pathKind(name) == PathKind::Missing || !*programFolder()) return name;", "files beside the program are never found"),
    # The front end: protocols and options.
    ("frontend", "INT32_MIN, INT32_MAX) / 10);", "INT32_MIN, INT32_MAX) / 100);", "UCI clocks read ten times too short"),
    ("frontend", "return &request.increment[sameWord(word, \"binc\")];", "return &request.increment[sameWord(word, \"winc\")];",
     "UCI increments swapped between the colours"),
    ("frontend", "if (nodes > 0) searchLimits.nodes = uint64_t(nodes);", "if (nodes > 0) searchLimits.nodes = uint64_t(nodes) + 1000;",
     "go nodes searches more than asked"),
    ("frontend", "return (minutes * 60 + seconds) * 100;", "return (minutes * 60 + seconds) * 10;",
     "xboard levels read ten times too short"),
    ("frontend", "lines >= 1 && lines <= MAX_MULTI_PV ? lines : 1", "lines >= 1 && lines < MAX_MULTI_PV ? lines : 1",
     "the largest MultiPV is refused"),
]


def run(command, cwd, log):
    """Runs a command, its output appended to the log; returns its exit code."""
    with open(log, "a") as out:
        return subprocess.call(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT)


def locate(tree, folder, old):
    """The one file of the folder that holds the snippet, or an error."""
    hits = []
    for path in sorted((tree / folder).glob("*.[ch]*")):
        count = path.read_text().count(old)
        hits += [path] * count
    if len(hits) != 1:
        return None, f"the snippet occurs {len(hits)} times in {folder}/"
    return hits[0], None


def failed_tests(log):
    """The names CTest lists as failed in the last run of the log."""
    lines = pathlib.Path(log).read_text().splitlines()
    start = max((i for i, line in enumerate(lines) if "tests FAILED" in line), default=None)
    if start is None:
        return ""
    names = [line.split(" - ")[1].split(" (")[0] for line in lines[start + 1:] if " - " in line]
    return " ".join(names[:3])


def plant(tree, build, number, fault, log):
    """Plants one fault, builds, runs the suite, restores; returns (verdict, failing tests)."""
    folder, old, new, _ = fault
    path, error = locate(tree, folder, old)
    if error:
        return "missing", error
    original = path.read_text()
    try:
        path.write_text(original.replace(old, new))
        pathlib.Path(log).write_text(f"fault {number}: {path}\n")
        if run(["cmake", "--build", str(build), "-j", "2"], tree, log) != 0:
            return "no build", ""
        code = run(["ctest", "-j", "2", "--stop-on-failure", "--timeout", "300", "--output-on-failure"], build, log)
        return ("caught", failed_tests(log)) if code != 0 else ("missed", "")
    finally:
        path.write_text(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tree", default=".", help="the source tree to plant faults in")
    parser.add_argument("--build", default="build-faults", help="its build folder (relative to the tree)")
    parser.add_argument("--only", default="", help="comma-separated fault numbers (from 1)")
    parser.add_argument("--out", default="faults.tsv", help="the table of results")
    parser.add_argument("--list", action="store_true", help="list the faults and check their snippets")
    args = parser.parse_args()
    tree = pathlib.Path(args.tree).resolve()
    build = tree / args.build
    chosen = [int(n) for n in args.only.split(",") if n] or range(1, len(FAULTS) + 1)
    if args.list:
        bad = 0
        for number in chosen:
            folder, old, _, what = FAULTS[number - 1]
            _, error = locate(tree, folder, old)
            bad += error is not None
            print(f"{number}\t{folder}\t{what}\t{error or 'ok'}")
        return 1 if bad else 0
    subprocess.check_call(["cmake", "-S", str(tree), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release"],
                          stdout=subprocess.DEVNULL)
    log = build / "fault.log"
    caught = 0
    with open(args.out, "w") as table:
        table.write("fault\tfolder\twhat\tverdict\tfirst failing tests\tseconds\n")
        for number in chosen:
            start = time.time()
            verdict, detail = plant(tree, build, number, FAULTS[number - 1], log)
            caught += verdict == "caught"
            row = f"{number}\t{FAULTS[number - 1][0]}\t{FAULTS[number - 1][3]}\t{verdict}\t{detail}\t{time.time() - start:.0f}"
            table.write(row + "\n")
            table.flush()
            print(row, flush=True)
    run(["cmake", "--build", str(build), "-j", "2"], tree, log)  # the build as the sources are
    print(f"caught {caught} of {len(chosen)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

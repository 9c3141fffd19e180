#!/usr/bin/env python3
"""Fits the win/draw/loss model of search/wdl.cpp on Quor's own games.

  scripts/wdl_fit.py openings MASTERS.pgn > openings.epd
      The openings of the games: from each master game the position after
      a random number of plies from 12 to 20, each position once, shuffled.
  scripts/wdl_fit.py count GAMES.pgn... | xz > scripts/wdl/counts.csv.xz
      Reads games that Quor played (cutechess-cli writes the score each
      engine reported after every move as a comment, "+0.42/9 0.1s") and
      counts, for every move it searched, the result of the game for the
      side that moved, by the score it reported (in bands of SCORE_STEP
      centipawns) and the material on the board (pawns 1, knights and
      bishops 3, rooks 5, queens 9, both sides; in buckets of MATERIAL_STEP,
      counted by their middle). Every HELD_OUT-th game is
      kept out of the fit and counted apart, to check the model with. Needs
      pgn-extract (Debian package pgn-extract) for the positions. A game
      that is the same as one counted before is left out.
  scripts/wdl_fit.py fit scripts/wdl/counts.csv.xz
      Fits the model by maximum likelihood on the counts of the fitted games,
      prints its numbers as search/wdl.cpp declares them, and the table of
      expected scores (win + draw / 2) that the model predicts and that the
      held-out games made, by score band.

The model: with x = material / 78, a side whose score is s wins with chance
1 / (1 + exp((a(x) - s) / b(x))) and loses with the chance it would win with
-s; a and b are polynomials of degree 2 in x.
"""
import lzma
import math
import random
import re
import shutil
import subprocess
import sys

SCORE_STEP = 10     # centipawns per counted band
MATERIAL_STEP = 3   # material units per counted bucket
SCORE_LIMIT = 1000  # scores beyond (nearly certain, or tablebase and mate values) are left out
HELD_OUT = 5        # every fifth game is kept out of the fit
TABLE_BAND = 50     # centipawns per band of the held-out table
MATERIAL_VALUES = {"p": 1, "n": 3, "b": 3, "r": 5, "q": 9}


def material(fen):
    return sum(MATERIAL_VALUES.get(c.lower(), 0) for c in fen.split()[0])


def pgn_extract(*arguments):
    # Debian installs pgn-extract among the games, which a root shell's path leaves out.
    program = shutil.which("pgn-extract") or "/usr/games/pgn-extract"
    return subprocess.run([program, "-s", *arguments], capture_output=True, encoding="latin-1", check=True).stdout


def openings(path):
    start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w"
    chooser = random.Random(26)
    games, chosen, seen = [], [], set()
    for line in pgn_extract("-Wepd", path).splitlines():
        fen = " ".join(line.split()[:4])
        if fen.startswith(start) or not games:
            games.append([])
        games[-1].append(fen)
    for positions in games:
        ply = chooser.randint(12, 20)
        if ply < len(positions) and positions[ply] not in seen:
            seen.add(positions[ply])
            chosen.append(positions[ply])
    chooser.shuffle(chosen)
    print("\n".join(chosen))


def games(paths):
    """Each game as its result, its starting position, its comments in
    order (moves' comments followed by the FEN after the move) and its
    moves, from pgn-extract."""
    text = pgn_extract("--fencomments", "-w", "100000", *paths)
    for game in re.split(r"\n(?=\[Event )", text):
        result = re.search(r'\[Result "([^"]+)"\]', game)
        start = re.search(r'\[FEN "([^"]+)"\]', game)
        if result and result.group(1) in ("1-0", "0-1", "1/2-1/2"):
            movetext = game.split("\n\n", 1)[-1]
            yield (result.group(1), start.group(1) if start else "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w",
                   re.findall(r"\{([^}]*)\}", movetext), " ".join(re.sub(r"\{[^}]*\}", "", movetext).split()))


def count(paths):
    counts = {}
    seen = set()
    index = repeats = 0
    for result, fen, comments, moves in games(paths):
        if moves in seen:
            repeats += 1  # the same game again (a repeated opening): counted once
            continue
        seen.add(moves)
        part = "held" if index % HELD_OUT == HELD_OUT - 1 else "fit"
        index += 1
        white_points = {"1-0": 2, "0-1": 0, "1/2-1/2": 1}[result]  # in half points
        for comment in comments:
            comment = comment.strip()
            if re.fullmatch(r"[1-8pnbrqkPNBRQK/]+ [wb] .*", comment):
                fen = comment  # the position after the move: the next mover's
                continue
            score = re.match(r"([+-]\d+\.\d+)/\d+", comment)
            if not score or abs(float(score.group(1)) * 100) > SCORE_LIMIT:
                continue
            mover_white = fen.split()[1] == "w"
            points = white_points if mover_white else 2 - white_points
            band = round(float(score.group(1)) * 100 / SCORE_STEP) * SCORE_STEP
            key = (part, material(fen) // MATERIAL_STEP * MATERIAL_STEP + MATERIAL_STEP // 2, band)
            counts.setdefault(key, [0, 0, 0])[2 - points] += 1  # wins, draws, losses
    held = index // HELD_OUT
    print(f"# {index - held} games fitted, {held} held out, {repeats} repeated games left out")
    print("part,material,score,wins,draws,losses")
    for (part, mat, band), (w, d, l) in sorted(counts.items()):
        print(f"{part},{mat},{band},{w},{d},{l}")


def read_counts(path):
    rows = []
    with (lzma.open(path, "rt") if path.endswith(".xz") else open(path)) as file:
        print(next(file).strip("# \n"))
        next(file)
        for line in file:
            part, mat, band, w, d, l = line.strip().split(",")
            rows.append((part, int(mat), int(band), int(w), int(d), int(l)))
    return rows


def polynomial(coefficients, x):
    return coefficients[0] + (coefficients[1] + coefficients[2] * x) * x


def chances(params, score, mat):
    x = min(max(mat / 78, 0), 1)
    even, scale = polynomial(params[:3], x), polynomial(params[3:], x)
    win = 1 / (1 + math.exp(min(700, (even - score) / scale)))
    loss = 1 / (1 + math.exp(min(700, (even + score) / scale)))
    return win, max(1 - win - loss, 0), loss


def log_likelihood(params, rows):
    if min(polynomial(params[3:], x / 10) for x in range(11)) <= 1:
        return -1e300  # the scale must stay positive
    total = 0
    for _, mat, band, w, d, l in rows:
        p = chances(params, band, mat)
        total += sum(n * math.log(max(q, 1e-12)) for n, q in zip((w, d, l), p) if n)
    return total


def nelder_mead(function, start, step, iterations=4000):
    """Maximises `function` from `start` by the downhill simplex."""
    points = [list(start)] + [[v + (step[i] if i == j else 0) for i, v in enumerate(start)] for j in range(len(start))]
    values = [function(p) for p in points]
    for _ in range(iterations):
        order = sorted(range(len(points)), key=lambda i: -values[i])
        points, values = [points[i] for i in order], [values[i] for i in order]
        if values[0] - values[-1] < 1e-4:
            break  # the simplex has closed in on the maximum
        centre = [sum(p[i] for p in points[:-1]) / (len(points) - 1) for i in range(len(start))]
        worst = points[-1]
        def along(t):
            return [c + t * (c - w) for c, w in zip(centre, worst)]
        reflected = along(1)
        value = function(reflected)
        if value > values[0]:
            expanded = along(2)
            expanded_value = function(expanded)
            points[-1], values[-1] = (expanded, expanded_value) if expanded_value > value else (reflected, value)
        elif value > values[-2]:
            points[-1], values[-1] = reflected, value
        else:
            contracted = along(-0.5)
            contracted_value = function(contracted)
            if contracted_value > values[-1]:
                points[-1], values[-1] = contracted, contracted_value
            else:
                points = [points[0]] + [[b + (p - b) / 2 for b, p in zip(points[0], q)] for q in points[1:]]
                values = [values[0]] + [function(p) for p in points[1:]]
    best = max(range(len(points)), key=lambda i: values[i])
    return points[best]


def fit(path):
    rows = read_counts(path)
    training = [row for row in rows if row[0] == "fit"]
    params = nelder_mead(lambda p: log_likelihood(p, training), [200, 0, 0, 100, 0, 0], [50, 50, 50, 30, 30, 30])
    positions = sum(sum(row[3:]) for row in training)
    print(f"fitted on {positions} positions")
    print("constexpr double WDL_A[3] = {%.1f, %.1f, %.1f};" % tuple(params[:3]))
    print("constexpr double WDL_B[3] = {%.1f, %.1f, %.1f};" % tuple(params[3:]))
    held = [row for row in rows if row[0] == "held"]
    print(f"\nheld-out games: {sum(sum(row[3:]) for row in held)} positions")
    print("| score band (cp) | positions | predicted (%) | observed (%) | difference |")
    print("|---|---|---|---|---|")
    bands = {}
    for _, mat, band, w, d, l in held:
        n = w + d + l
        win, draw, _ = chances(params, band, mat)
        low = math.floor((band + TABLE_BAND // 2) / TABLE_BAND) * TABLE_BAND - TABLE_BAND // 2
        entry = bands.setdefault(low, [0, 0.0, 0.0])
        entry[0] += n
        entry[1] += n * (win + draw / 2)
        entry[2] += w + d / 2
    for low, (n, predicted, observed) in sorted(bands.items()):
        if n < 100:
            continue
        p, o = 100 * predicted / n, 100 * observed / n
        print(f"| {low} to {low + TABLE_BAND} | {n} | {p:.1f} | {o:.1f} | {p - o:+.1f} |")


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("openings", "count", "fit"):
        sys.exit(__doc__)
    {"openings": lambda: openings(sys.argv[2]), "count": lambda: count(sys.argv[2:]),
     "fit": lambda: fit(sys.argv[2])}[sys.argv[1]]()

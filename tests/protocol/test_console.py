"""Console commands that work in both protocols: perft and egtb."""
import engine

PERFT = [
    ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 5, 4865609),
    ("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4, 4085603),
    ("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 674624),
    ("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 4, 422333),
    ("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", 4, 2103487),
    ("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -", 4, 3894594),
]


class Console(engine.EngineTest):
    def test_perft_totals_of_reference_positions(self):
        for fen, depth, nodes in PERFT:
            text = self.engine.output_for("setboard " + fen, f"perft {depth}", timeout=300)
            self.assertTrue(text.endswith(f"\nNodes searched: {nodes}\n"), (fen, text[-80:]))

    def test_egtb_without_tablebases(self):
        self.assertEqual(self.engine.output_for("egtb"), "EGTB not found\n")


if __name__ == "__main__":
    engine.main()

#include "eval/pst.h"

int8_t pieceSquare[2][6][64];

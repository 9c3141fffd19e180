#include "search/ordering.h"

int32_t history[4096];
Move killers[MAX_PLY][2];

// Storage of the search's shared state.
#include "search/state.h"

int16_t previousScore;
Move pvTable[MAX_PLY][MAX_PLY];
uint8_t pvLength[MAX_PLY];
Move savedPv[MAX_PLY];
int16_t lastDepth;
int16_t iterationDepth;
uint32_t nodeCount;
int16_t selDepth;
int16_t rootMoveCount;
int16_t rootMoveNumber;
int16_t rootLegalCount;
Move rootMove;
int16_t alphaWindow;
int16_t betaWindow;
int8_t windowFail;
int16_t currentScore;
int16_t iterationScore;
bool rootAbort;
bool followPv;
int16_t ttAge;
int16_t rootMaterialDiff;
int8_t tbLimit;
int32_t targetTime;
int32_t safetyMargin;
int32_t timeCredit;

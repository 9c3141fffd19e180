// Storage of the search's shared state.
#include "search/state.h"

constinit thread_local int16_t previousScore;
constinit thread_local Move pvTable[MAX_PLY][MAX_PLY];
constinit thread_local uint8_t pvLength[MAX_PLY];
constinit thread_local Move savedPv[MAX_PLY];
constinit thread_local int16_t lastDepth;
constinit thread_local int16_t iterationDepth;
constinit thread_local uint32_t nodeCount;
constinit thread_local int16_t selDepth;
constinit thread_local int16_t rootMoveCount;
constinit thread_local int16_t rootMoveNumber;
constinit thread_local int16_t rootLegalCount;
constinit thread_local Move rootMove;
constinit thread_local int16_t alphaWindow;
constinit thread_local int16_t betaWindow;
constinit thread_local int8_t windowFail;
constinit thread_local int16_t currentScore;
constinit thread_local int16_t iterationScore;
constinit thread_local bool rootAbort;
constinit thread_local bool followPv;
constinit thread_local int16_t ttAge;
constinit thread_local int16_t rootMaterialDiff;
constinit thread_local int8_t tbLimit;
constinit thread_local int8_t syzygyLimit;
constinit thread_local int32_t targetTime;
constinit thread_local int32_t safetyMargin;
constinit thread_local int32_t timeCredit;

#include "engine/settings.h"

EngineOptions options;
TimeControl timeControl;

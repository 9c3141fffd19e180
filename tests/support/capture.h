// The engine's output caught for a test, in a scratch file (portable where
// memory streams are not).
#pragma once

#include <string>

/// Sends everything the engine prints into a fresh capture.
void startCapture();

/// What the engine printed since the capture started or was last read.
std::string readCapture();

/// Ends the capture (the engine prints to standard output again) and
/// returns what was not yet read.
std::string stopCapture();

// The capture file of the tests.
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "engine/output.h"

static FILE *capture = nullptr;
static std::string capturePath;
static long captureRead = 0;

void startCapture() {
    if (capture) stopCapture();
    std::error_code error;
    std::string name = "quor-capture-" + std::to_string(std::random_device{}());
    capturePath = (std::filesystem::temp_directory_path(error) / name).string();
    capture = std::fopen(capturePath.c_str(), "w+b");
    ASSERT_NE(capture, nullptr) << capturePath;
    captureRead = 0;
    outputStream = capture;
}

std::string readCapture() {
    if (!capture) return "";
    std::string text;
    std::fflush(capture);
    std::fseek(capture, captureRead, SEEK_SET);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) text.append(buffer, n);
    captureRead = std::ftell(capture);
    std::fseek(capture, 0, SEEK_END);
    return text;
}

std::string stopCapture() {
    std::string text = readCapture();
    outputStream = stdout;
    if (capture) std::fclose(capture);
    capture = nullptr;
    std::remove(capturePath.c_str());
    return text;
}

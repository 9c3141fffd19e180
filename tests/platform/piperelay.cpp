// Starts the program named by the arguments with anonymous pipes for its
// standard input and output, as Windows chess interfaces do, and relays
// this program's own standard input to it and its output back, so that a
// session written for any system runs through a Windows pipe. Ends with the
// program's exit code.
#include <windows.h>

#include <string>

static HANDLE toEngine;

/// Hands on what arrives on standard input until it ends; the engine then
/// sees its input end too.
static DWORD WINAPI relayInput(void *) {
    char buffer[4096];
    DWORD got, put;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0)
        if (!WriteFile(toEngine, buffer, got, &put, nullptr)) break;
    CloseHandle(toEngine);
    return 0;
}

int main(int argc, char **argv) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE engineInput, engineOutput, fromEngine;
    if (argc < 2 || !CreatePipe(&engineInput, &toEngine, &inherited, 0) ||
        !CreatePipe(&fromEngine, &engineOutput, &inherited, 0))
        return 2;
    SetHandleInformation(toEngine, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(fromEngine, HANDLE_FLAG_INHERIT, 0);
    std::string command;
    for (int i = 1; i < argc; i++) command += std::string(i > 1 ? " \"" : "\"") + argv[i] + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = engineInput;
    startup.hStdOutput = engineOutput;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION engine;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &engine))
        return 2;
    CloseHandle(engineInput);
    CloseHandle(engineOutput);
    CreateThread(nullptr, 0, relayInput, nullptr, 0, nullptr);
    char buffer[4096];
    DWORD got, put;
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    while (ReadFile(fromEngine, buffer, sizeof buffer, &got, nullptr) && got > 0)
        WriteFile(output, buffer, got, &put, nullptr);
    WaitForSingleObject(engine.hProcess, INFINITE);
    DWORD code = 2;
    GetExitCodeProcess(engine.hProcess, &code);
    return int(code);
}

// Where the program lies, and the files it keeps beside itself.
#pragma once

#include <windows.h>

#include <string>

// The program module, set once at start-up before any file or dialog is used.
extern HINSTANCE instanceHandle;

// The full path of the program file, read at whatever length it has; empty if it cannot be read.
std::wstring GetProgramFilePath();

// The program file's folder up to and including its last backslash, or empty when the path has
// none. Asked afresh at every call.
std::wstring GetProgramFolder();

// The settings file and the run log, beside the program.
std::wstring GetConfigFilePath();
std::wstring GetRunLogPath();

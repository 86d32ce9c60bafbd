// The least that any batch repair must make the handset do, with none of the program's work in it:
// the baseline of the program's own work, run as a process by handset_floor.exe and in process
// by courierfix_bench.exe.
#pragma once

#include <string>
#include <vector>

// The documents of a file, one per line (UTF-8); none when the file cannot be read.
std::vector<std::wstring> ReadFloorDocuments(const std::wstring& path);

struct FloorOutcome {
    int storesOpened = 0;
    bool allAccepted = false;
};

// With COM and messaging initialised around it as the program has them: logs on, walks the
// message-store table opening every store and reading its account GUID, hands each document to
// the configuration manager, logs off. allAccepted when the log-on, the walk and every document
// succeeded.
FloorOutcome RunFloorWork(const std::vector<std::wstring>& documents);

// Whole-file reads and writes as bytes, for tests that check exactly what is on disk.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

// Files the program writes are UTF-8 with a byte-order mark and CRLF line ends; these give
// the lines as wide text, without the BOM and line ends, or build such a file.
std::vector<std::wstring> ReadTextLines(const std::wstring& path);
std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);
std::string TextFileBytes(const std::vector<std::wstring>& lines);

// The names of the entries of a folder (files and folders, without "." and "..").
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

} // namespace testing_support

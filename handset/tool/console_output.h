// Text output of handset.exe: UTF-8 bytes to a file or pipe, wide text to a console.
#pragma once

#include <string>

namespace handset {

void WriteOut(const std::wstring& text);
void WriteError(const std::wstring& text);

} // namespace handset

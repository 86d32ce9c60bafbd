// Serves a platform rule: the argument text a handset's loader hands to a program's WinMain.
#pragma once

#include <string>
#include <string_view>

namespace handset {

// The arguments of the command line a process got, exactly as given. A handset's kernel starts a
// program with its image apart, so that its command line holds the arguments alone: all of it is
// returned, leading blanks included. A desktop's shell names the program first: when the first
// word, quoted or not, names the module at modulePath, it and the one blank after it are left out.
std::wstring ArgumentText(std::wstring_view commandLine, std::wstring_view modulePath);

// The full path of path, as GetFullPathNameW makes it; empty when there is none.
std::wstring FullPath(const std::wstring& path);

} // namespace handset

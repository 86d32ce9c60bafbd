// A rectangle as "left,top,right,bottom", so that it is checked in one comparison and shown
// whole when the check fails.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

inline std::string RectText(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

} // namespace testing_support

#pragma once

// Test helper: a frame written as its byte values, the way the protocol
// tables list them, so a test can compare exact bytes on the line.

#include <initializer_list>
#include <string>

namespace mp::frametest {

inline std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

}  // namespace mp::frametest

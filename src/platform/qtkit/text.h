#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace mp {

// The Qt boundary of the program's text: code page 874 bytes in the core,
// QString on screen. Every byte survives a round trip (the bytes code page
// 874 leaves undefined travel through the private use area).
QString qs(std::string_view cp874);
// Characters code page 874 cannot hold become "?".
std::string cp(const QString& text);

}  // namespace mp

// UTF-16 and UTF-8: the bridge reads its command line and paths in UTF-16
// and hands the host UTF-8, which is what Wine's host names are in.
#pragma once

#include <string>

namespace tarnwick {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace tarnwick

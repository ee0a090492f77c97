#include "real_paths.h"

#include <algorithm>

namespace tarnwick {

HostPathResolver RealPaths::Collecting() {
    return [this](const std::string& windowsPath, std::string* hostPath) {
        if (!resolve_(windowsPath, hostPath)) return false;
        if (hostPath->find(':') != std::string::npos &&
            std::find(wanted_.begin(), wanted_.end(), *hostPath) == wanted_.end())
            wanted_.push_back(*hostPath);
        return true;
    };
}

bool RealPaths::Accept(const std::string& realpathOutput) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < realpathOutput.size()) {
        size_t end = realpathOutput.find('\n', start);
        if (end == std::string::npos) end = realpathOutput.size();
        lines.push_back(realpathOutput.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() != wanted_.size()) return false;
    for (size_t i = 0; i < lines.size(); ++i)
        real_[wanted_[i]] = lines[i];
    return true;
}

HostPathResolver RealPaths::Resolved() const {
    return [this](const std::string& windowsPath, std::string* hostPath) {
        if (!resolve_(windowsPath, hostPath)) return false;
        const auto real = real_.find(*hostPath);
        if (real != real_.end()) *hostPath = real->second;
        return true;
    };
}

}  // namespace tarnwick

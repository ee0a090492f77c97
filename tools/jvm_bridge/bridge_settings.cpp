#include "bridge_settings.h"

namespace tarnwick {
namespace {

std::string Trimmed(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return std::string();
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

}  // namespace

BridgeSettings ReadBridgeSettings(const std::string& text) {
    BridgeSettings settings;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        const std::string value = Trimmed(line.substr(equals + 1));
        if (Trimmed(line.substr(0, equals)) == "java" && !value.empty()) settings.java = value;
    }
    return settings;
}

bool ParseExitStatus(const std::string& text, int* status) {
    const std::string number = Trimmed(text);
    if (number.empty() || number.size() > 3 || number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *status = std::stoi(number);
    return true;
}

}  // namespace tarnwick

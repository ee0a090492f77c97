// bridge.properties, written beside the bridge by whoever installs it.
#pragma once

#include <string>

namespace tarnwick {

struct BridgeSettings {
    // The host's java: a host path, or a name the host's PATH finds.
    std::string java = "java";
};

// "key=value" lines with LF or CR LF ends; '#' starts a comment line; blanks
// around keys and values are dropped; unknown keys are ignored and the last
// of a key wins. An empty value keeps the default.
BridgeSettings ReadBridgeSettings(const std::string& text);

// The exit status the host's shell wrote: a number from 0 to 999 with
// blanks or a line end around it. False for anything else.
bool ParseExitStatus(const std::string& text, int* status);

}  // namespace tarnwick

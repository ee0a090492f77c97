// Reading what the verification class prints: one "name = value" line per
// system property, CR LF line ends. Only java.version and java.vendor.url
// are read (and java.home, for a JVM started through a launcher shim); running the JVM is the caller's business.
#pragma once

#include <string>

namespace tarnwick {

struct VerifyReport {
    std::string version;  // java.version, trimmed; empty when not reported
    std::string vendor;   // "sun", "microsoft", "ibm", else the vendor URL
    std::string home;     // java.home, trimmed
};

// The version and the vendor a JVM reported. The vendor comes from the
// vendor URL, not from java.vendor.
VerifyReport ReadVerifyOutput(const std::string& output);

}  // namespace tarnwick

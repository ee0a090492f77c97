#include "jvmsearch/verify_output.h"

#include "jvmsearch/jvm_criterion.h"

namespace tarnwick {

namespace {

// The value of the first occurrence of `key`: from just after the first '='
// that follows it up to the next CR LF, or to the end of the output when
// the JVM's last line has no line end. Empty when the key or an '=' after
// it is missing.
std::string PropertyValue(const std::string& output, const std::string& key) {
    const size_t at = output.find(key);
    if (at == std::string::npos) return std::string();
    const size_t eq = output.find('=', at + key.size());
    if (eq == std::string::npos) return std::string();
    const size_t start = eq + 1;
    size_t end = output.find("\r\n", start);
    if (end == std::string::npos) end = output.size();
    return output.substr(start, end - start);
}

}  // namespace

VerifyReport ReadVerifyOutput(const std::string& output) {
    VerifyReport report;
    report.version = PropertyValue(output, "java.version");
    const std::string url = PropertyValue(output, "java.vendor.url");
    // The criteria name vendors by these words; a URL without any of them
    // stands for itself, so a criterion can still name it.
    if (url.find("sun") != std::string::npos) {
        report.vendor = "sun";
    } else if (url.find("microsoft") != std::string::npos) {
        report.vendor = "microsoft";
    } else if (url.find("ibm") != std::string::npos) {
        report.vendor = "ibm";
    } else {
        report.vendor = url;
    }
    report.home = PropertyValue(output, "java.home");
    TrimSpaces(report.home);
    TrimSpaces(report.version);
    TrimSpaces(report.vendor);
    return report;
}

}  // namespace tarnwick

// Fuzzes the reader of the verification class's output with arbitrary
// bytes: it must not crash; the version is a piece of the output without a
// line end or outer blanks; the vendor is one of the three words, empty, or
// a piece of the output; and a value is only ever found behind its key.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "javacommand/java_command.h"
#include "jvmsearch/verify_output.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string output(reinterpret_cast<const char*>(data), size);
    const tarnwick::VerifyReport report = tarnwick::ReadVerifyOutput(output);

    for (const std::string* value : {&report.version, &report.vendor})
        Check(value->empty() || (value->front() != ' ' && value->back() != ' '));
    Check(!Contains(report.version, "\r\n"));
    if (!report.version.empty()) Check(Contains(output, "java.version") && Contains(output, report.version));

    const std::string& vendor = report.vendor;
    if (vendor != "sun" && vendor != "microsoft" && vendor != "ibm" && !vendor.empty()) {
        // The URL itself, which cannot hold a keyword or a line end.
        Check(Contains(output, vendor));
        Check(!Contains(vendor, "sun") && !Contains(vendor, "microsoft") && !Contains(vendor, "ibm"));
        Check(!Contains(vendor, "\r\n"));
    }
    if (!vendor.empty()) Check(Contains(output, "java.vendor.url"));

    // Read as a class location: only the file name loses its ".class";
    // folders keep theirs.
    const tarnwick::ClassToRun split = tarnwick::SplitClassLocation(output);
    const size_t slash = output.rfind('\\');
    const std::string kept = slash == std::string::npos ? split.name : output.substr(0, slash + 1) + split.name;
    // The folder is all before the last backslash, but a drive's root keeps it.
    const bool root = slash == 2 && output[1] == ':';
    Check(split.folder == (slash == std::string::npos ? "" : output.substr(0, root ? 3 : slash)));
    Check(output.compare(0, kept.size(), kept) == 0);
    Check(!Contains(split.name, "\\") && !Contains(split.name, ".class"));
    Check(kept.size() == output.size() || output.compare(kept.size(), 6, ".class") == 0);
    return 0;
}

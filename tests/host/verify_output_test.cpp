#include "jvmsearch/verify_output.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick {
namespace {

// What the verification class prints: 13 CR LF lines, os.arch with two
// blanks before its '='.
std::string VerifyOutput(const std::string& home, const std::string& version, const std::string& url) {
    return "java.home = " + home + "\r\njava.version = " + version + "\r\njava.vendor.url = " + url +
           "\r\njava.vendor = Vendor Inc.\r\njava.class.path = C:\\Temp\r\njava.class.version = 46.0\r\n"
           "user.dir = C:\\setup\r\nuser.language = en\r\nuser.region = US\r\nuser.home = C:\\u\r\n"
           "os.name = Windows 95\r\nos.version = 4.0\r\nos.arch  = x86\r\n";
}

TEST(ReadVerifyOutputTest, ReadsVersionAndVendorWord) {
    struct Case {
        const char* name;
        std::string output;
        const char* version;
        const char* vendor;
    };
    const Case cases[] = {
        {"sun", VerifyOutput("C:\\jdk", "1.2.2", "http://java.sun.com/"), "1.2.2", "sun"},
        {"microsoft", VerifyOutput("C:\\WINDOWS", "1.1.4", "http://www.microsoft.com/"), "1.1.4", "microsoft"},
        {"ibm", VerifyOutput("C:\\ibm", "1.3.0", "http://www.ibm.com/"), "1.3.0", "ibm"},
        // Keywords in order, case-sensitive; else the URL, trimmed.
        {"sun first", VerifyOutput("C:\\j", "1.2", "http://microsoft.sun.com/"), "1.2", "sun"},
        {"IBM", VerifyOutput("C:\\j", "1.3", " http://www.IBM.com/ "), "1.3", "http://www.IBM.com/"},
        {"padded", VerifyOutput("C:\\j", "  1.4.2 \t ", "x"), "1.4.2 \t", "x"},
        {"empty output", "", "", ""},
        {"no java.version", "java.vendor.url = http://java.sun.com/\r\n", "", "sun"},
        {"no java.vendor.url", "java.version = 1.2\r\njava.vendor = Sun Microsystems Inc.\r\n", "1.2", ""},
        {"no '='", "java.version 1.2", "", ""},
        // The last line runs to the end; only CR LF ends a value.
        {"last line", "java.vendor.url = http://www.ibm.com/\r\njava.version = 1.3.1", "1.3.1", "ibm"},
        {"LF only", "java.version = 1.2\njava.vendor.url = sun\n", "1.2\njava.vendor.url = sun\n", "sun"},
        {"CR only", "java.version = 1.2\rx\r\n", "1.2\rx", ""},
        // The first occurrence of a key counts, also inside an earlier
        // value; its value starts after the next '=', wherever that is.
        {"url key in home", VerifyOutput("C:\\java.vendor.url", "1.2.2", "http://www.ibm.com/"), "1.2.2", "1.2.2"},
        {"version key in home", VerifyOutput("C:\\java.version=9", "1.2.2", "http://java.sun.com/"), "9", "sun"},
        {"'=' in value", "java.version=1.2=b\r\n", "1.2=b", ""},
    };
    for (const Case& c : cases) {
        const VerifyReport got = ReadVerifyOutput(c.output);
        EXPECT_EQ(got.version, c.version) << c.name << ": saw version [" << got.version << "]";
        EXPECT_EQ(got.vendor, c.vendor) << c.name << ": saw vendor [" << got.vendor << "]";
    }
}

}  // namespace
}  // namespace tarnwick

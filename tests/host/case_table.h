// Case tables kept as text in tests/host/cases/. A line "[Name] ..." starts
// the table Name; each case is one line "in | in => out | out"; '#' lines
// and blank lines are skipped. Blanks around fields are dropped; {SP} {TAB}
// {CR} {LF} {CRLF} and {xHH} stand for bytes a text line cannot show.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tarnwick::test {

using Strings = std::vector<std::string>;

inline std::string CasesFolder() {
    const std::string here = __FILE__;
    return here.substr(0, here.rfind('/')) + "/cases/";
}

inline std::string Unescape(const std::string& text) {
    static const std::map<std::string, std::string> names = {
        {"SP", " "}, {"TAB", "\t"}, {"CR", "\r"}, {"LF", "\n"}, {"CRLF", "\r\n"}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t end = text[i] == '{' ? text.find('}', i) : std::string::npos;
        const std::string name = end == std::string::npos ? "" : text.substr(i + 1, end - i - 1);
        if (names.count(name)) {
            out += names.at(name);
        } else if (name.size() == 3 && name[0] == 'x') {
            out += char(std::stoi(name.substr(1), nullptr, 16));
        } else {
            out += text[i];
            continue;
        }
        i = end;
    }
    return out;
}

inline Strings Split(const std::string& text, const std::string& separator) {
    Strings fields;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        std::string field = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        field.erase(0, field.find_first_not_of(' '));
        field.erase(field.find_last_not_of(' ') + 1);
        fields.push_back(Unescape(field));
        if (end == std::string::npos) return fields;
        start = end + separator.size();
    }
}

inline std::string Join(const Strings& fields, const std::string& separator = " | ") {
    std::string text;
    for (size_t i = 0; i < fields.size(); ++i) text += (i ? separator : "") + fields[i];
    return text;
}

struct Case {
    std::string table, where;  // where: "file:line: the line"
    Strings in, want;
};

// Every case of a file, in order.
inline std::vector<Case> ReadCases(const std::string& file) {
    std::ifstream in(CasesFolder() + file);
    EXPECT_TRUE(in.good()) << "cannot read " << CasesFolder() + file;
    std::vector<Case> cases;
    std::string table, line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            table = line.substr(1, line.find(']') - 1);
            continue;
        }
        const size_t arrow = line.find(" =>");
        const std::string where = file + ":" + std::to_string(number) + ": " + line;
        // A blank more, so that a line ending in " |" ends in an empty field.
        cases.push_back({table, where, Split(line.substr(0, arrow) + " ", " | "),
                         arrow == std::string::npos ? Strings{} : Split(line.substr(arrow + 3) + " ", " | ")});
    }
    return cases;
}

// Runs every case of the file through the function its table names; what
// the function returns must be what the case wants.
using CaseFunction = std::function<Strings(const Strings& in)>;
inline void RunCases(const std::string& file, const std::map<std::string, CaseFunction>& functions) {
    const std::vector<Case> cases = ReadCases(file);
    EXPECT_FALSE(cases.empty()) << file;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        ASSERT_TRUE(functions.count(c.table)) << "no function for table " << c.table;
        EXPECT_EQ(Join(functions.at(c.table)(c.in)), Join(c.want));
    }
}

}  // namespace tarnwick::test

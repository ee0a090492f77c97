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

inline std::string Unescape(const std::string& text) {
    static const std::map<std::string, std::string> names = {
        {"SP", " "}, {"TAB", "\t"}, {"CR", "\r"}, {"LF", "\n"}, {"CRLF", "\r\n"}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t end = text[i] == '{' ? text.find('}', i) : std::string::npos;
        const std::string name = end == std::string::npos ? "" : text.substr(i + 1, end - i - 1);
        if (names.count(name)) out += names.at(name), i = end;
        else if (name.size() == 3 && name[0] == 'x') out += char(std::stoi(name.substr(1), nullptr, 16)), i = end;
        else out += text[i];
    }
    return out;
}

// The fields between separators, blanks around them dropped, unescaped.
inline Strings Split(const std::string& text, const std::string& separator) {
    Strings fields;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + separator.size()) {
        end = text.find(separator, start);
        std::string field = text.substr(start, end - start);  // to the end when there is no separator
        field.erase(0, field.find_first_not_of(' '));
        fields.push_back(Unescape(field.erase(field.find_last_not_of(' ') + 1)));
    }
    return fields;
}

inline std::string Join(const Strings& fields, const std::string& separator = " | ") {
    std::string text;
    for (size_t i = 0; i < fields.size(); ++i) text += (i ? separator : "") + fields[i];
    return text;
}

struct Case {
    std::string table, where;  // where: "file:line: the line"
    Strings in, want;
    std::string arg(size_t i) const { return i < in.size() ? in[i] : ""; }
};

// Every case of a file in cases/, in order.
inline std::vector<Case> ReadCases(const std::string& file) {
    std::ifstream in(std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/')) + "/cases/" + file);
    std::vector<Case> cases;
    std::string table, line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line[0] == '[') table = line.substr(1, line.find(']') - 1);
        if (line.empty() || line[0] == '#' || line[0] == '[') continue;
        // A blank more, so that a line ending in " |" ends in an empty field.
        const size_t arrow = line.find(" =>");
        cases.push_back({table, file + ":" + std::to_string(number) + ": " + line,
                         Split(line.substr(0, arrow) + " ", " | "),
                         arrow == std::string::npos ? Strings{} : Split(line.substr(arrow + 3) + " ", " | ")});
    }
    EXPECT_FALSE(cases.empty()) << "no cases in cases/" << file;
    return cases;
}

// Runs `step` over every case of the file, naming its line in failures.
inline void ForEachCase(const std::string& file, const std::function<void(const Case&)>& step) {
    for (const Case& c : ReadCases(file)) {
        SCOPED_TRACE(c.where);
        step(c);
    }
}

// Runs every case through the function its table names; what the function
// returns must be what the case wants.
using CaseFunction = std::function<Strings(const Strings& in)>;
inline void RunCases(const std::string& file, const std::map<std::string, CaseFunction>& functions) {
    ForEachCase(file, [&functions](const Case& c) {
        ASSERT_TRUE(functions.count(c.table)) << "no function for table " << c.table;
        EXPECT_EQ(Join(functions.at(c.table)(c.in)), Join(c.want));
    });
}

}  // namespace tarnwick::test

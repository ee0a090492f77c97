// Formatting of install-log lines: the subset of the Windows wsprintfA
// formatter that the log formats use (%s, %d, %u with zero padding and width),
// portable so the exact bytes of every line can be tested natively.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tarnwick {

class FormatArg {
  public:
    FormatArg(const char* text) : text_(text != nullptr ? text : ""), isText_(true) {}
    FormatArg(const std::string& text) : text_(text), isText_(true) {}
    FormatArg(std::string_view text) : text_(text), isText_(true) {}
    FormatArg(int32_t number) : number_(number) {}
    FormatArg(uint32_t number) : number_(number) {}

    bool isText() const { return isText_; }
    std::string_view text() const { return text_; }
    int64_t number() const { return number_; }

  private:
    std::string_view text_;
    int64_t number_ = 0;
    bool isText_ = false;
};

// Formats like wsprintfA. A conversion without a matching argument, or of
// the wrong kind, prints nothing rather than reading past the arguments.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The first line of the log: "Date :: 12:05:2026 Time :: 18:09:03", month
// first, with the labels in the user's language. It has no line end.
std::string FormatLogHeader(std::string_view dateLabel, std::string_view timeLabel,
                            const LocalTime& time);

}  // namespace tarnwick

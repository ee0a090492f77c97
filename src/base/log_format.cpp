#include "base/log_format.h"

#include <cstddef>

namespace tarnwick {

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(format.size() + 64);
    const FormatArg* arg = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (++i >= format.size()) break;
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        const bool zeroPad = format[i] == '0';
        if (zeroPad) ++i;
        size_t width = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            width = width * 10 + static_cast<size_t>(format[i] - '0');
            ++i;
        }
        if (i >= format.size()) break;
        const char conversion = format[i];
        if (arg == args.end()) continue;
        const FormatArg& value = *arg++;

        std::string piece;
        if (conversion == 's' && value.isText()) {
            piece = std::string(value.text());
        } else if ((conversion == 'd' || conversion == 'i') && !value.isText()) {
            piece = std::to_string(static_cast<int32_t>(value.number()));
        } else if (conversion == 'u' && !value.isText()) {
            piece = std::to_string(static_cast<uint32_t>(value.number()));
        } else {
            continue;
        }
        if (piece.size() < width) {
            const size_t fill = width - piece.size();
            if (zeroPad && conversion != 's') {
                // Zeros go after the sign: -5 in %03d is "-05".
                const size_t at = (!piece.empty() && piece[0] == '-') ? 1 : 0;
                piece.insert(at, fill, '0');
            } else {
                piece.insert(0, fill, ' ');
            }
        }
        out += piece;
    }
    return out;
}

std::string FormatLogHeader(std::string_view dateLabel, std::string_view timeLabel,
                            const LocalTime& t) {
    return FormatText("%s :: %02d:%02d:%02d %s :: %02d:%02d:%02d",
                      {dateLabel, t.month, t.day, t.year, timeLabel, t.hour, t.minute, t.second});
}

}  // namespace tarnwick

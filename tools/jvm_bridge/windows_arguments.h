// Command lines the Windows way: how a Windows program's C runtime cuts its
// command line into arguments, and the quoting that survives that cut.
// Wine cuts the command line of a host program by the same rules, so one
// pair serves both directions.
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// Blanks and tabs separate arguments outside double quotes; 2n backslashes
// before a quote give n backslashes and the quote opens or closes a quoted
// text, 2n+1 give n backslashes and a literal quote; a doubled quote inside
// a quoted text is a literal quote; other backslashes are literal.
std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine);

// The argument as SplitWindowsCommandLine gives it back: bare when it has no
// blank, tab or quote and is not empty, else quoted with the backslashes
// before a quote (or before the closing quote) doubled.
std::string QuoteWindowsArgument(const std::string& argument);

}  // namespace tarnwick

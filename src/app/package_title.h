// The caption of the run's windows when the package names one (title= and
// title.<language>= of its settings), chosen before the first window shows.
#pragma once

#include <string>

namespace tarnwick {

// The title for the user's language and code page, read quietly from the
// package behind `ownPath`; empty when it has none the user can be shown,
// and the launcher keeps its own caption.
std::string PackageTitle(const std::string& ownPath);

}  // namespace tarnwick

// Every refusal of the packer. The message is one line for the user; main
// prefixes it with "tarnpack: " and exits non-zero.
#pragma once

#include <stdexcept>

namespace tarnpack {

class PackError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace tarnpack

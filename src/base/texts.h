// Texts of the string table by id, as portable code sees them: the launcher
// loads them from its resources in the user's language, the packer and the
// host tests use the English table.
#pragma once

#include <string>

namespace tarnwick {

class TextSource {
  public:
    virtual ~TextSource() = default;
    // The text as loaded into a buffer of 100 characters: at most 99 of
    // them. Empty for an unknown id.
    virtual std::string Text(int id) const = 0;
};

class EnglishTexts final : public TextSource {
  public:
    std::string Text(int id) const override;
};

}  // namespace tarnwick

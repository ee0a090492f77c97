// Texts of the string table, in the user's language.
#pragma once

#include <windows.h>

#include <string>

#include "base/texts.h"

namespace tarnwick {

// Buffer sizes the texts are loaded into; a text longer than its buffer is
// cut to one character less.
constexpr int kLogTextCapacity = 100;       // log words and message boxes
constexpr int kStatusTextCapacity = 255;    // the progress dialog's status line
constexpr int kPreparingTextCapacity = 500; // the progress dialog's long note
constexpr int kTitleCapacity = 260;

// Loads string `id` into a buffer of `capacity` characters. Empty when the
// table has no such id.
std::string LoadText(int id, int capacity = kLogTextCapacity);

// The launcher's own string table, in the user's language, for the portable
// readers.
class StringTableTexts final : public TextSource {
  public:
    std::string Text(int id) const override { return LoadText(id); }
};

// Shows an error message box with string `textId`; `owner` may be null.
void ShowErrorBox(HWND owner, int textId, const std::string& caption);

}  // namespace tarnwick

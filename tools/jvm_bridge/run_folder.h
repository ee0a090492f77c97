// A fresh folder in the temporary folder for one run of the host's java:
// its output files and its exit status. Removed with what is in it when the
// owner goes. Not copyable.
#pragma once

#include <string>

namespace tarnwick {

class RunFolder {
  public:
    RunFolder() = default;
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // False, with the last error, when no folder could be made.
    bool Create();
    // `name` inside the folder, as Windows names it.
    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
    const std::wstring& Path() const { return path_; }

  private:
    std::wstring path_;
};

}  // namespace tarnwick

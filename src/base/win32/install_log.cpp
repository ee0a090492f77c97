#include "base/win32/install_log.h"

#include <windows.h>

#include "base/win32/string_table.h"
#include "resources/resource_ids.h"

namespace tarnwick {

void InstallLog::Open(const std::string& path, Creation creation) {
    if (state_ != State::NotOpen) return;
    if (creation == Creation::New) ::DeleteFileA(path.c_str());
    file_.Reset(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              creation == Creation::New ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!file_.IsValid()) {
        state_ = State::Failed;
        return;
    }
    state_ = State::Open;

    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const LocalTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    WriteLine(FormatLogHeader(LoadText(IDS_DATE), LoadText(IDS_TIME), time));
}

void InstallLog::Close() {
    file_.Close();
    state_ = State::Closed;
}

void InstallLog::WriteLine(std::string_view line) {
    if (state_ != State::Open) return;
    DWORD written = 0;
    // A failed write loses the line; the run does not depend on the log.
    ::WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace tarnwick

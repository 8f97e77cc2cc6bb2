#include "Report.h"

#include "kx/text.h"

namespace kxapp {

std::string Utf8Of(const std::wstring &text) { return kx::ToUtf8(text); }

std::wstring WideOf(const std::string &text) { return kx::ToWide(text); }

std::string HexOf(HRESULT hr) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(hr));
    return buffer;
}

Report::~Report() {
    if (file_) fclose(file_);
}

bool Report::Open(const std::wstring &path) {
    std::lock_guard<std::mutex> hold(lock_);
    if (file_) fclose(file_);
    file_ = _wfopen(path.c_str(), L"wb");
    return file_ != nullptr;
}

void Report::Line(const std::string &key, const std::string &value) {
    std::string line = key + ": " + value;
    for (char &c : line)
        if (c == '\r' || c == '\n') c = ' ';
    line += '\n';
    std::lock_guard<std::mutex> hold(lock_);
    if (file_) {
        fwrite(line.data(), 1, line.size(), file_);
        fflush(file_);
    }
    OutputDebugStringA(line.c_str());
}

void Report::Line(const std::string &key, const std::wstring &value) {
    Line(key, Utf8Of(value));
}

}  // namespace kxapp

// The shell's run report: one UTF-8 line per event ("key: value"), written
// as it happens so that a run that dies still leaves its story behind. Read
// by people after the demo and by the end-to-end tests.
#pragma once

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

namespace kxapp {

class Report {
public:
    Report() = default;
    ~Report();
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    bool Open(const std::wstring &path);
    void Line(const std::string &key, const std::string &value);
    void Line(const std::string &key, const std::wstring &value);

private:
    std::mutex lock_;
    FILE *file_ = nullptr;
};

std::string Utf8Of(const std::wstring &text);
std::wstring WideOf(const std::string &text);
std::string HexOf(HRESULT hr);

}  // namespace kxapp

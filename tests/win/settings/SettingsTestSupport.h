// The settings tests' files: a fresh folder per test, whole files in and
// out as bytes, and the default document with one element changed.
#pragma once

#include <windows.h>

#include <string>

namespace settest {

// A new empty folder under %TEMP%, removed with what is in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::wstring &Path() const { return path_; }
    std::wstring File(const std::wstring &name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

bool Exists(const std::wstring &path);
std::string ReadBytes(const std::wstring &path);
void WriteBytes(const std::wstring &path, const std::string &bytes);

// UTF-8 text as UTF-16 little-endian bytes, with or without the byte-order mark.
std::string Utf16Le(const std::string &utf8, bool bom);

// The text with the first `from` replaced by `to` (which must be there).
std::string Replaced(std::string text, const std::string &from, const std::string &to);
// The default document with the value of element `name` replaced.
std::string DefaultWith(const std::string &name, const std::string &value);

}  // namespace settest

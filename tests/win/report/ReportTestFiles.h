// The bytes of a file, and a file of bytes, by a wide path.
#pragma once

#include <cstdio>
#include <string>

inline std::string ReadBytes(const std::wstring &path)
{
    std::string bytes;
    if (FILE *f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

inline void WriteBytes(const std::wstring &path, const std::string &bytes)
{
    if (FILE *f = _wfopen(path.c_str(), L"wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

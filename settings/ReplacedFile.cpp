#include "ReplacedFile.h"

#include <windows.h>

#include "kx/error.h"
#include "kx/text.h"

namespace {

std::string SystemText(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : L"код " + std::to_wstring(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return kx::ToUtf8(text);
}

}  // namespace

void ThrowFileError(const char *what, const std::wstring &path)
{
    const DWORD code = GetLastError();
    throw kx::Error(std::string(what) + " " + kx::ToUtf8(path) + ": " + SystemText(code));
}

bool FileExists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring TemporaryPath(const std::wstring &path)
{
    return path + L".tmp";
}

void ReplaceWithTemporary(const std::wstring &temporary, const std::wstring &path)
{
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(temporary.c_str());
        SetLastError(code);
        ThrowFileError("Не удалось заменить файл", path);
    }
}

void WriteWholeFile(const std::wstring &path, const std::string &bytes)
{
    WriteThroughTemporary(path, [&](const std::wstring &temporary) {
        HANDLE file =
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            ThrowFileError("Не удалось создать файл", temporary);
        DWORD written = 0;
        const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                        written == bytes.size() && FlushFileBuffers(file);
        const DWORD code = GetLastError();
        CloseHandle(file);
        if (!ok) {
            SetLastError(code);
            ThrowFileError("Не удалось записать файл", temporary);
        }
    });
}

void WriteThroughTemporary(const std::wstring &path, const std::function<void(const std::wstring &temporary)> &write)
{
    const std::wstring temporary = TemporaryPath(path);
    try {
        write(temporary);
    } catch (...) {
        DeleteFileW(temporary.c_str());
        throw;
    }
    ReplaceWithTemporary(temporary, path);
}

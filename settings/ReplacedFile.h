// Files written whole or not at all: the new content goes to a temporary
// file beside the target, which then replaces it in one step, so that a
// failure at any point leaves the target as it was and no half-written file.
//
// Failures throw kx::Error with a Russian text naming the file and the
// system's reason.
#pragma once

#include <functional>
#include <string>

bool FileExists(const std::wstring &path);
// Throws kx::Error "<what> <path>: <the system's text of GetLastError()>".
[[noreturn]] void ThrowFileError(const char *what, const std::wstring &path);

// The temporary file beside `path` that a write goes through.
std::wstring TemporaryPath(const std::wstring &path);
// Moves `temporary` over `path`; on failure deletes `temporary` and throws.
void ReplaceWithTemporary(const std::wstring &temporary, const std::wstring &path);
// Writes `bytes` as the whole new content of `path`.
void WriteWholeFile(const std::wstring &path, const std::string &bytes);
// Runs `write` on the temporary path, then replaces `path` with it; a
// failing write deletes the temporary file and is thrown on.
void WriteThroughTemporary(const std::wstring &path, const std::function<void(const std::wstring &temporary)> &write);

// The stand-in shell's bookkeeping: every object it has created and still
// lives, with its reference count, and the ordered log of calls a plug-in
// made on the shell's interfaces. Shared by all objects of one shell (and
// kept alive by them, so an object a plug-in leaks can still unregister).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kxshell {

class ShellObject;

// Reference counts of the live objects at one moment, keyed by serial number
// (addresses are reused, serials are not).
struct RefSnapshot {
    struct Entry {
        std::string kind;
        ULONG count;
    };
    std::map<uint64_t, Entry> entries;
};

// An object whose count is not what the snapshot said: created since and
// still alive (before = 0), destroyed since (after = 0, destroyed), or
// holding more or fewer references.
struct RefDifference {
    uint64_t serial;
    std::string kind;
    ULONG before;
    ULONG after;
    bool createdSince;
    bool destroyed;
    std::string Describe() const;
};

class ShellRegistry {
public:
    ShellRegistry() = default;
    ShellRegistry(const ShellRegistry &) = delete;
    ShellRegistry &operator=(const ShellRegistry &) = delete;

    // Called by ShellObject's constructor and destructor only.
    uint64_t Register(ShellObject *object);
    void Unregister(ShellObject *object);

    std::vector<ShellObject *> LiveObjects() const;
    size_t LiveCount() const { return live_.size(); }
    size_t CreatedCount() const { return nextSerial_ - 1; }
    // Live objects of one kind ("MapPoint", "LineSymbol", ...), oldest first.
    std::vector<ShellObject *> LiveObjectsOfKind(const std::string &kind) const;

    RefSnapshot Snapshot() const;
    std::vector<RefDifference> DifferencesFrom(const RefSnapshot &snapshot) const;

    // The call log: "Interface.Operation(args)" in call order.
    void Log(std::string entry);
    const std::vector<std::string> &Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // Number of entries starting with prefix, e.g. "IMap.Invalidate".
    size_t CountCalls(const std::string &prefix) const;
    // Index of the first entry starting with prefix at or after from; -1 if none.
    int FindCall(const std::string &prefix, size_t from = 0) const;

    // Getters and setters of points, sizes and rectangles are frequent and
    // rarely interesting; they are logged only when asked for.
    bool logValueAccess = false;
    // A shell that runs for hours keeps no call log: it would grow with
    // every call a plug-in makes (the windowed shell turns it off).
    bool keepCallLog = true;

private:
    uint64_t nextSerial_ = 1;
    std::map<uint64_t, ShellObject *> live_;
    std::vector<std::string> calls_;
};

// Formatting helpers for log entries.
std::string FormatDouble(double value);
std::string Utf8(const wchar_t *text);
std::string Utf8(const std::wstring &text);
std::string FormatHex(unsigned long value);

}  // namespace kxshell

#include "ShellRegistry.h"

#include "ShellObject.h"

#include "kx/text.h"

#include <cstdio>

namespace kxshell {

std::string RefDifference::Describe() const {
    char buffer[160];
    if (createdSince)
        std::snprintf(buffer, sizeof buffer, "#%llu %s: created since the snapshot, still holds %lu reference(s)",
                      static_cast<unsigned long long>(serial), kind.c_str(), after);
    else if (destroyed)
        std::snprintf(buffer, sizeof buffer, "#%llu %s: had %lu reference(s), now destroyed",
                      static_cast<unsigned long long>(serial), kind.c_str(), before);
    else
        std::snprintf(buffer, sizeof buffer, "#%llu %s: %lu reference(s) before, %lu now",
                      static_cast<unsigned long long>(serial), kind.c_str(), before, after);
    return buffer;
}

uint64_t ShellRegistry::Register(ShellObject *object) {
    const uint64_t serial = nextSerial_++;
    live_[serial] = object;
    return serial;
}

void ShellRegistry::Unregister(ShellObject *object) {
    live_.erase(object->Serial());
}

std::vector<ShellObject *> ShellRegistry::LiveObjects() const {
    std::vector<ShellObject *> out;
    out.reserve(live_.size());
    for (const auto &entry : live_) out.push_back(entry.second);
    return out;
}

std::vector<ShellObject *> ShellRegistry::LiveObjectsOfKind(const std::string &kind) const {
    std::vector<ShellObject *> out;
    for (const auto &entry : live_)
        if (kind == entry.second->Kind()) out.push_back(entry.second);
    return out;
}

RefSnapshot ShellRegistry::Snapshot() const {
    RefSnapshot snapshot;
    for (const auto &entry : live_)
        snapshot.entries[entry.first] = {entry.second->Kind(), entry.second->RefCount()};
    return snapshot;
}

std::vector<RefDifference> ShellRegistry::DifferencesFrom(const RefSnapshot &snapshot) const {
    std::vector<RefDifference> out;
    for (const auto &entry : live_) {
        const ULONG now = entry.second->RefCount();
        auto before = snapshot.entries.find(entry.first);
        if (before == snapshot.entries.end())
            out.push_back({entry.first, entry.second->Kind(), 0, now, true, false});
        else if (before->second.count != now)
            out.push_back({entry.first, entry.second->Kind(), before->second.count, now, false, false});
    }
    for (const auto &entry : snapshot.entries)
        if (live_.find(entry.first) == live_.end())
            out.push_back({entry.first, entry.second.kind, entry.second.count, 0, false, true});
    return out;
}

void ShellRegistry::Log(std::string entry) {
    if (keepCallLog) calls_.push_back(std::move(entry));
}

size_t ShellRegistry::CountCalls(const std::string &prefix) const {
    size_t n = 0;
    for (const auto &call : calls_)
        if (call.compare(0, prefix.size(), prefix) == 0) ++n;
    return n;
}

int ShellRegistry::FindCall(const std::string &prefix, size_t from) const {
    for (size_t i = from; i < calls_.size(); ++i)
        if (calls_[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    return -1;
}

std::string FormatDouble(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.10g", value);
    return buffer;
}

std::string Utf8(const wchar_t *text) { return text ? kx::ToUtf8(text) : std::string(); }

std::string Utf8(const std::wstring &text) {
    return Utf8(text.c_str());
}

std::string FormatHex(unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", value);
    return buffer;
}

}  // namespace kxshell

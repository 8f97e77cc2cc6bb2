// Loads a plug-in DLL and drives it exactly as the shell does, reporting
// what the plug-in says about itself and what it added to the shell, then
// checks that it gave back every reference to the shell's objects.
#pragma once

#include <string>

namespace kxprobe {

// Receives the report line by line (UTF-8).
class Report {
public:
    virtual ~Report() = default;
    virtual void Line(const std::string &text) = 0;
};

struct ProbeOptions {
    std::wstring dllPath;
    bool printCalls = false;  // also list every call the plug-in made on the shell
};

// 0 when every step worked and no reference was left over.
int RunProbe(const ProbeOptions &options, Report &report);

}  // namespace kxprobe

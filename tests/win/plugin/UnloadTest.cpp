// Containers that free unused libraries, as most do: the plug-in must stay
// loaded while the dispatcher still holds the panel's event sink. Each
// sequence runs in unload_probe.exe, so a crash shows as its exit code.
#include "PluginModule.h"

#include "DispatcherProcess.h"

namespace {

TEST(Unload, ContainersFreeingUnusedLibrariesDoNotUnloadAPluginStillSubscribed)
{
    PluginModule plugin;  // registered in the prefix, as the build does
    for (const wchar_t *mode : {L"atl", L"create"}) {
        const std::string name(mode, mode + wcslen(mode));
        // The probe's panel never shuts down (no Terminate without a shell):
        // its client stays subscribed until the process ends, and the
        // dispatcher never hears of that end, so the test ends it.
        dispatcher_process::OwnDispatcher dispatcher(L"", 60);
        ASSERT_TRUE(dispatcher.ready()) << name;
        const DWORD code = RunProgram(std::wstring(L"unload_probe.exe ") + mode, 90000);
        EXPECT_EQ(0u, code) << "mode " << name << " (2: no groups listed, other: crashed)";
        dispatcher.End();
    }
}

}  // namespace

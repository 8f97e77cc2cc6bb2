// KXShell: the stand-in map shell as a Windows application. Loads the
// plug-ins of its Plugins folder, docks their pages beside the map, draws
// their layers, and runs a scenario when given one. Exit code 0 when the
// plug-ins ended cleanly and gave back every reference; 2 bad arguments,
// 3 references left over, 4 a scenario step failed, 5 a Terminate failed.
#include "Options.h"
#include "Report.h"
#include "Scenario.h"
#include "ShellWindow.h"
#include "VisualStyles.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    using namespace kxapp;
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Options options;
    std::wstring error;
    const bool parsed = options.Parse(argc, argv, error);
    if (argv) LocalFree(argv);
    if (!parsed) {
        fwprintf(stderr, L"%ls\n%ls", error.c_str(), Options::Usage().c_str());
        return 2;
    }
    VisualStyles styles(options.visualStyles);
    if (!styles.Ready()) {
        fwprintf(stderr, L"cannot activate the common controls 6 manifest\n");
        return 1;
    }
    std::vector<ScenarioStep> steps;
    if (!options.scenario.empty() && !LoadScenario(options.scenario, steps, error)) {
        fwprintf(stderr, L"scenario: %ls\n", error.c_str());
        return 2;
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    Report report;
    if (!options.reportPath.empty() && !report.Open(options.reportPath))
        fwprintf(stderr, L"cannot write the report %ls\n", options.reportPath.c_str());
    report.Line("common-controls", std::to_string(CommonControlsVersion()));
    int exitCode = 1;
    {
        ShellWindow shell(options, report);
        if (shell.Start()) {
            ScenarioRunner runner(shell, options, report, std::move(steps));
            if (!options.scenario.empty()) runner.Start();
            shell.RunMessageLoop();
            runner.Join();
            exitCode = shell.ExitCode();
            if (exitCode == 0 && runner.Failed() > 0) exitCode = 4;
        }
    }
    OleUninitialize();
    report.Line("exit", std::to_string(exitCode));
    return exitCode;
}

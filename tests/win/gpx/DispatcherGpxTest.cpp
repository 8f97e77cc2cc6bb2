// The stand-in dispatcher started with recordings, as a user starts it: the
// bad files are told about on standard error and in the log, and the good
// one is served as a vehicle with local times and real speeds.
#include "Karvex_TLB.h"

#include "DispatcherProcess.h"
#include "KXDispatcherControl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "kx/text.h"

using namespace dispatcher_process;

namespace {

std::wstring TempPath(const std::wstring &name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"kxgpxd-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

void Write(const std::wstring &path, const std::string &bytes)
{
    std::ofstream(kx::ToUtf8(path), std::ios::binary) << bytes;
}

std::string Read(const std::wstring &path)
{
    std::ifstream f(kx::ToUtf8(path), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// A drive along a street at 36 km/h from 10:00 UTC, with one teleport.
std::string Recording()
{
    std::string pts;
    char buf[160];
    for (int i = 0; i < 60; ++i) {
        const double lat = i == 30 ? 56.7 : 55.75;
        std::snprintf(buf, sizeof buf, "<trkpt lat=\"%.6f\" lon=\"%.6f\"><time>2021-05-14T10:%02d:%02dZ</time></trkpt>\n", lat,
                      37.55 + i * 50 / 62700.0, i * 5 / 60, i * 5 % 60);
        pts += buf;
    }
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
           "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>\xD3\xF2\xF0\xEE</name><trkseg>" +
           pts + "</trkseg></trk></gpx>";
}

struct Files {
    std::wstring good = TempPath(L"good.gpx"), empty = TempPath(L"empty.gpx"), broken = TempPath(L"broken.gpx"),
                 log = TempPath(L"log.txt"), err = TempPath(L"stderr.txt");
    Files()
    {
        Write(good, Recording());
        Write(empty, "<gpx version=\"1.1\"><trk><trkseg/></trk></gpx>");
        Write(broken, "<gpx><trk>");
    }
    ~Files()
    {
        for (const std::wstring *p : {&good, &empty, &broken, &log, &err}) DeleteFileW(p->c_str());
    }
    std::wstring Args() const
    {
        return L"/no-fleet /gpx:\"" + broken + L"\" /gpx:\"" + good + L"\" /gpx:\"" + empty + L"\" /log:\"" + log + L"\"";
    }
};

// Runs the dispatcher with its standard error in a file, until it leaves by
// itself for want of clients; its exit code, or -1.
int RunWithStandardError(const std::wstring &args, const std::wstring &errPath)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE err = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (err == INVALID_HANDLE_VALUE) return -1;
    std::wstring cmd = std::wstring(L"\"") + KX_DISPATCHER_EXE + L"\" /hidden /online:0 /idle-exit:1 " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = err;
    PROCESS_INFORMATION pi = {};
    const BOOL started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(err);
    if (!started) return -1;
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

}  // namespace

TEST(DispatcherGpx, BadFilesAreToldAndTheProgramStartsWithTheGoodOne)
{
    Files f;
    ASSERT_EQ(RunWithStandardError(f.Args(), f.err), 0);
    const std::string err = Read(f.err), log = Read(f.log);
    const std::string good = kx::ToUtf8(f.good), empty = kx::ToUtf8(f.empty), broken = kx::ToUtf8(f.broken);
    for (const std::string &text : {err, log}) {
        EXPECT_NE(text.find(broken + ": not read: "), std::string::npos) << text;
        EXPECT_NE(text.find(empty + ": not used: no track or route points"), std::string::npos) << text;
        EXPECT_NE(text.find(good + ": point 31: position glitch, "), std::string::npos) << text;
        EXPECT_NE(text.find(good + ": 60 points, 1 skipped (1 position glitch), 1 trip"), std::string::npos) << text;
    }
    EXPECT_NE(log.find("готов"), std::string::npos) << "the program served calls:\n" << log;
}

TEST(DispatcherGpx, TheRecordingIsServedInLocalTimeWithRealSpeeds)
{
    ASSERT_EQ(RunAndWait(L"/RegServer"), 0);  // the type libraries carry the calls across
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        Files f;
        OwnDispatcher d(f.Args());
        ASSERT_TRUE(d.ready());
        TKarvexAutomation k;
        try {
            k.Connect();
        } catch (const KarvexError &e) {
            FAIL() << "no dispatcher: 0x" << std::hex << e.Hr();
        }
        k.Start();
        ASSERT_EQ(k.GroupsCount(), 1);
        k.GroupIndex(1);
        k.SelectGroup(k.GroupKey());
        ASSERT_EQ(k.CarsCount(), 1);
        k.CarIndex(1);
        EXPECT_EQ(k.CarName(), L"Утро");
        // 10:04:55 UTC in May is 12:04:55 in Berlin, the zone ctest gives.
        EXPECT_NE(k.CarLastTime().find(L"12:04:55"), std::wstring::npos) << k.CarLastTime();
        EXPECT_NEAR(k.CarLastLatitude(), 55.75, 1e-9);

        k.ComputeTrips(k.GroupKey(), k.CarDevice(), L"14.05.2021 00:00:00", L"15.05.2021 00:00:00", L"GSM", 1);
        ASSERT_TRUE(PumpUntil([&] { return k.ComputeStatus() == 0; }, 20000));
        ASSERT_EQ(k.TripsCount(), 1);
        k.TripIndex(1);
        const std::vector<double> track = k.TrackCrdsArray();
        ASSERT_EQ(track.size(), 59u * 5);
        for (size_t i = 0; i < track.size(); i += 5) EXPECT_LT(track[i + 4], 60) << "speed at point " << i / 5;
        k.TripEntriesListTypeName(L"over_speed");
        EXPECT_EQ(k.TripEntriesCount(), 0);
    }
    CoUninitialize();
}

// Crash roles of the helper, each a real Application:
//   crash <kind> [off|full|read-only|reenable|<path>]  prints "session <id>", waits for a line
//                       on stdin (so that a test may plant files first) and crashes the way
//                       <kind> names; with "off" the crash handler is turned off first, with
//                       "full" no file may grow any more when it crashes, as on a full disk,
//                       with "read-only" it gives up root's power to write where permissions
//                       forbid it, so that a read-only folder holds for root too, and with
//                       "reenable" the product "Crash Helper 2.5" is named and the handler is
//                       then turned off and on again. The kind "copied-library" crashes in
//                       the copy of the late library at <path>.
//   hang <seconds>      hangs its GUI thread under --test-crash-timeout=<seconds>.
//   report              prints "crashed <id>" per crashed session, then each report
//                       between "report <id>" and "end <id>" lines, twice.
#include "App/Application/Application.h"
#include "App/Application/ICustomizationManager.h"
#include "FarLibrary.h"

#include <QThread>

#include <dlfcn.h>

#include <glog/logging.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include <linux/capability.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using Talvex::App::Application;

namespace {

// Crashes must look as the compiler would leave them, not as a sanitizer reports them.
#define CRASHING __attribute__((noinline, no_sanitize("address", "undefined")))

volatile int* volatile nowhere = nullptr;
volatile int zero = 0;
volatile int seven = 7;

CRASHING void CrashByNullWrite()
{
    *nowhere = 1;
}

CRASHING void CrashByAbort()
{
    std::abort();
}

CRASHING void CrashByUncaughtException()
{
    throw std::runtime_error("helper threw on purpose");
}

CRASHING void CrashByDivision()
{
    std::printf("%d\n", seven / zero);
}

CRASHING int CrashByRecursion(int depth)
{
    if (depth < 0) {
        return 0;
    }
    volatile char frame[256];
    frame[depth % sizeof frame] = static_cast<char>(depth);
    return CrashByRecursion(depth + 1) + frame[0];
}

void (*volatile noFunction)() = nullptr;

CRASHING void CrashByNullCall()
{
    noFunction();
    std::printf("returned from nowhere\n");
}

CRASHING void WorkerCrashByNullWrite()
{
    pthread_setname_np(pthread_self(), "crash-worker");
    *nowhere = 2;
}

// Both threads write through null at once: one report, not two interleaved.
CRASHING void CrashOnTwoThreads()
{
    std::thread first(WorkerCrashByNullWrite);
    std::thread second(WorkerCrashByNullWrite);
    first.join();
    second.join();
}

class HelperProduct : public Talvex::App::ICustomizationManager {
public:
    std::string GetOrganizationName() const override { return "Talvex Test"; }
    Talvex::Core::Version GetVersion() const override { return Talvex::Core::Version("2.5"); }
    std::string GetProductFolderName() const override { return "Crash Helper Test"; }
    std::string GetApplicationName() const override { return "Crash Helper"; }
    std::string GetAboutProductName() const override { return "Crash Helper"; }
    std::string GetProductCodeName() const override { return "crash-helper"; }
    bool SkipsFirstRunActions() const override { return true; }
    int GetDistributionType() const override { return 0; }
    std::string GetPostInstallPage() const override { return std::string(); }
    bool IsEmailDialogEnabled() const override { return false; }
};

// A message that quotes a stack of its own and, too long for the report, is cut in the
// middle of a character; the log lines before it are cut likewise, one of three at least.
// A log line of several lines quotes the report's own lines too, some of them after
// line breaks other than CR and LF that text viewers also start a new line at.
CRASHING void ThrowAMessageWithAStackInIt()
{
    LOG(ERROR) << "a log line of several lines:\nThread: planted (id 1)\r\nStack:\r#0 0x1 +0x1 build-id none /planted"
                  "\u2028Thread: separated (id 2)\u2029Stack:\f#0 0x2 +0x2 build-id none /separated\v\xc2\x85";
    std::string euros;
    for (int i = 0; i < 400; ++i) {
        euros += "\u20ac";
    }
    for (const char* start : {"", "a", "ab"}) {
        LOG(WARNING) << start << euros;
    }
    throw std::runtime_error("thrown with a stack of its own:\nStack:\u2028#0 0x1 +0x1 build-id none /nowhere\n" +
                             euros);
}

// Opened before the crash handler is installed, closed before the crash.
void* goneLibrary = nullptr;

// Opened now, long after the handler was installed.
void OpenALibraryAndCrashInIt(const char* path)
{
    void* library = dlopen(path, RTLD_NOW);
    if (auto* crash = library ? reinterpret_cast<void (*)()>(dlsym(library, "CrashInALateLibrary")) : nullptr) {
        crash();
    }
}

void Crash(const std::string& kind, const char* variant)
{
    if (kind == "null-write") {
        CrashByNullWrite();
    } else if (kind == "abort") {
        CrashByAbort();
    } else if (kind == "exception") {
        CrashByUncaughtException();
    } else if (kind == "exception-text") {
        ThrowAMessageWithAStackInIt();
    } else if (kind == "null-call") {
        CrashByNullCall();
    } else if (kind == "far-library") {
        CrashInAFarLibrary();
    } else if (kind == "late-library") {
        OpenALibraryAndCrashInIt(TALVEX_LATE_LIBRARY);
    } else if (kind == "copied-library") {
        OpenALibraryAndCrashInIt(variant);
    } else if (kind == "reused-address") {
        dlclose(goneLibrary);
        OpenALibraryAndCrashInIt(TALVEX_LATE_LIBRARY);
    } else if (kind == "division") {
        CrashByDivision();
    } else if (kind == "recursion") {
        std::printf("%d\n", CrashByRecursion(0));
    } else if (kind == "worker") {
        std::thread(WorkerCrashByNullWrite).join();
    } else if (kind == "two-threads") {
        CrashOnTwoThreads();
    }
}

// Without this capability root is held to the permission bits like anyone else; a
// process that never had it loses nothing.
void GiveUpOverridingPermissions()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) == 0) {
        data[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        syscall(SYS_capset, &header, data);
    }
}

void WaitForInput()
{
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) {
        return;
    }
}

int CrashRun(int argc, char** argv, const std::string& variant)
{
    // Core files are not what these runs are about, and writing them is slow.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (std::strcmp(argv[2], "reused-address") == 0) {
        goneLibrary = dlopen(TALVEX_GONE_LIBRARY, RTLD_NOW);
    }
    Application app(argc, argv, Application::AppContext{false});
    if (variant == "off") {
        app.SetCrashHandlerEnabled(false);
    }
    if (variant == "reenable") {
        app.SetCustomizationManager(std::make_shared<HelperProduct>(), false);
        app.SetCrashHandlerEnabled(false);
        app.SetCrashHandlerEnabled(true);
    }
    std::printf("session %s\n", app.SessionId().c_str());
    std::fflush(stdout);
    WaitForInput();
    LOG(WARNING) << "helper about to crash: " << argv[2];
    if (variant == "full") {
        const rlimit noGrowth{0, 0};
        setrlimit(RLIMIT_FSIZE, &noGrowth);
    } else if (variant == "read-only") {
        GiveUpOverridingPermissions();
    }
    Crash(argv[2], variant.c_str());
    return 0;
}

CRASHING void HangInGuiThread()
{
    for (;;) {
        QThread::msleep(10);
    }
}

int HangRun(char** argv)
{
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const std::string option = std::string("--test-crash-timeout=") + argv[2];
    char* arguments[] = {argv[0], const_cast<char*>(option.c_str()), nullptr};
    int count = 2;
    Application app(count, arguments, Application::AppContext{false});
    std::printf("session %s\n", app.SessionId().c_str());
    std::fflush(stdout);
    HangInGuiThread();
    return 0;
}

int ReportRun(int argc, char** argv)
{
    Application app(argc, argv, Application::AppContext{false});
    const auto crashed = app.GetCrashedSessions();
    for (const std::string& session : crashed) {
        std::printf("crashed %s\n", session.c_str());
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (const std::string& session : crashed) {
            std::printf("report %s\n%s\nend %s\n", session.c_str(), app.GetCrashReport(session).c_str(),
                        session.c_str());
        }
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

// -1 when `argv` names no crash role.
int RunCrashRole(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "crash") == 0) {
        return CrashRun(argc, argv, argc > 3 ? argv[3] : "");
    }
    if (argc > 2 && std::strcmp(argv[1], "hang") == 0) {
        return HangRun(argv);
    }
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        return ReportRun(argc, argv);
    }
    return -1;
}

#include "Platform/Native/CrashHandler.h"

#include "Platform/Core/Demangle.h"
#include "Platform/Logging/RecentLogLines.h"
#include "Platform/Native/CrashModules_p.h"
#include "Platform/Util/Utf8Cut.h"

#include <QFile>

#include <cxxabi.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <exception>
#include <typeinfo>

namespace Talvex::Native {

const char CrashHandler::END_MARKER[] = "End of report\n";

namespace {

const int SIGNALS[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
const int SIGNAL_COUNT = sizeof SIGNALS / sizeof SIGNALS[0];
const int MAX_FRAMES = 128;
const size_t ALT_STACK_SIZE = 128 * 1024;
// Kept small: the handler may run on an alternate stack that another component set up.
const size_t TEXT_SIZE = 1024;
// How long a thread that crashed while another one writes the report waits for the
// process to end before it ends the process itself.
const int WAIT_FOR_OTHER_SECONDS = 10;

// What the report says about the run; written outside the handler, into the buffer not
// being read, and then published.
struct Identity {
    char text[4 * TEXT_SIZE] = {};
};
Identity identities[2];
std::atomic<Identity*> identity{nullptr};

struct State {
    std::atomic<bool> installed{false};
    int folder = -1;
    char fileName[256] = {};
    struct sigaction previous[SIGNAL_COUNT] = {};
    std::terminate_handler previousTerminate = nullptr;
    // The description of the exception that is ending the process, if any.
    char exception[TEXT_SIZE] = {};
    std::atomic<bool> exceptionSet{false};
    // Thread id of the thread writing the report; a report written ends every later try.
    std::atomic<long> writer{0};
    std::atomic<bool> written{false};
    // What the identity is built from, kept to rebuild it when any part changes and
    // when the handler is installed again.
    std::string session;
    std::string library;
    std::string product;
    std::string version;
};
State state;

long ThreadId()
{
    return syscall(SYS_gettid);
}

// Appends text to a fixed buffer; everything here is async-signal-safe.
class Text {
public:
    Text(char* buffer, size_t size) : buffer(buffer), size(size) {}
    Text& operator<<(const char* text) { return Append(text, false); }
    // Text from outside (an exception, a name) with its line breaks made spaces, so that
    // no part of it can pass for a line of the report's own.
    Text& Line(const char* text) { return Append(text, true); }
    Text& Number(unsigned long long value, int base = 10, int width = 0)
    {
        char digits[32];
        int count = 0;
        do {
            digits[count++] = "0123456789abcdef"[value % base];
            value /= base;
        } while (value != 0 || count < width);
        char reversed[33];
        for (int i = 0; i < count; ++i) {
            reversed[i] = digits[count - 1 - i];
        }
        reversed[count] = '\0';
        return *this << reversed;
    }
    Text& Signed(long long value)
    {
        if (value < 0) {
            *this << "-";
        }
        return Number(value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                : static_cast<unsigned long long>(value));
    }
    Text& Hex(unsigned long long value) { return (*this << "0x").Number(value, 16); }
    size_t Length() const { return used; }

private:
    Text& Append(const char* text, bool oneLine)
    {
        const size_t start = used;
        size_t left = text ? std::strlen(text) : 0;
        while (left > 0 && used + 1 < size) {
            // Any break a viewer would show, so that the text cannot make a line of its own.
            const size_t lineBreak = oneLine ? Util::LineBreakLength(text, left) : 0;
            const size_t taken = lineBreak > 0 ? lineBreak : 1;
            buffer[used++] = lineBreak > 0 ? ' ' : *text;
            text += taken;
            left -= taken;
        }
        if (left > 0) {
            used = start + Util::Utf8CutLength(buffer + start, used - start);
        }
        buffer[used] = '\0';
        return *this;
    }

    char* buffer;
    size_t size;
    size_t used = 0;
};

// Writes up to the size limit, whatever the state of the disk: a failed write is dropped.
class Report {
public:
    explicit Report(int fd) : fd(fd) {}
    void Write(const char* text, size_t length)
    {
        // Room for the end marker stays free until the end.
        const size_t limit = CrashHandler::MAX_REPORT_SIZE - (ending ? 0 : std::strlen(CrashHandler::END_MARKER));
        length = std::min(length, limit > written ? limit - written : 0);
        while (fd >= 0 && length > 0) {
            const ssize_t done = ::write(fd, text, length);
            if (done < 0 && errno == EINTR) {
                continue;
            }
            if (done <= 0) {
                return;
            }
            text += done;
            length -= static_cast<size_t>(done);
            written += static_cast<size_t>(done);
        }
    }
    void Write(const char* text) { Write(text, std::strlen(text)); }
    void End()
    {
        ending = true;
        Write(CrashHandler::END_MARKER);
    }

private:
    int fd;
    bool ending = false;
    size_t written = 0;
};

const char* SignalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian), as gmtime would give
// it; gmtime itself may take locks.
void AppendUtcTime(Text& text)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long seconds = now.tv_sec;
    long long days = seconds / 86400;
    const long long rest = seconds % 86400;
    days += 719468;
    const long long era = days / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    text << "Time: ";
    text.Number(year) << "-";
    text.Number(month, 10, 2) << "-";
    text.Number(day, 10, 2) << " ";
    text.Number(rest / 3600, 10, 2) << ":";
    text.Number(rest / 60 % 60, 10, 2) << ":";
    text.Number(rest % 60, 10, 2) << " UTC\n";
}

void WriteFrames(Report& report, void* const* frames, int count)
{
    report.Write("Stack:\n");
    for (int i = 0; i < count; ++i) {
        char line[TEXT_SIZE];
        Text text(line, sizeof line);
        const auto address = reinterpret_cast<std::uintptr_t>(frames[i]);
        text << "#";
        text.Number(i) << " ";
        text.Hex(address);
        if (const CrashModule* module = CrashModules::Find(address)) {
            text << " +";
            text.Hex(address - module->bias)
                << " build-id " << (module->buildId[0] ? module->buildId : "none") << " " << module->path;
        } else {
            text << " ?";
        }
        text << "\n";
        report.Write(line, text.Length());
    }
}

void WriteThread(Report& report, long threadId, const char* threadName)
{
    char line[256];
    Text text(line, sizeof line);
    (text << "Thread: ").Line(threadName) << " (id ";
    text.Number(static_cast<unsigned long long>(threadId)) << ")\n";
    report.Write(line, text.Length());
}

void WriteCurrentThread(Report& report)
{
    char name[17] = {};
    prctl(PR_GET_NAME, name, 0, 0, 0);
    WriteThread(report, ThreadId(), name);
}

void WriteLogLines(Report& report)
{
    static char lines[App::RecentLogLines::LINES * (App::RecentLogLines::LINE_SIZE + 1)];
    report.Write("Last log lines:\n");
    report.Write(lines, App::RecentLogLines::CopyTo(lines, sizeof lines));
}

int OpenReport()
{
    return openat(state.folder, state.fileName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

void WriteHead(Report& report, const char* cause)
{
    report.Write("Crash report\n");
    if (const Identity* current = identity.load()) {
        report.Write(current->text);
    }
    char line[TEXT_SIZE];
    Text time(line, sizeof line);
    AppendUtcTime(time);
    report.Write(line, time.Length());
    report.Write(cause);
}

void WriteTail(Report& report)
{
    WriteLogLines(report);
    report.End();
}

#if defined(__x86_64__)
// Reads a word of this process that may not be mapped: the kernel answers a bad address
// with an error where a plain read would fault inside the handler.
bool ReadWord(std::uintptr_t address, std::uintptr_t& word)
{
    iovec local{&word, sizeof word};
    iovec remote{reinterpret_cast<void*>(address), sizeof word};
    return syscall(SYS_process_vm_readv, getpid(), &local, 1UL, &remote, 1UL, 0UL) == static_cast<long>(sizeof word);
}
#endif

// Moves the frames of the interrupted code to the front and returns their count: the
// ones before them are the handler's own and the signal trampoline. A jump to an address
// in no module (a call through a null or wild pointer) stops the unwinder there; the
// return address that such a call left at the top of the stack still names the caller.
// `frames` has room for two frames at least.
int FaultingFrames(void** frames, int count, const void* context)
{
#if defined(__x86_64__)
    const auto& registers = static_cast<const ucontext_t*>(context)->uc_mcontext.gregs;
    const auto pc = static_cast<std::uintptr_t>(registers[REG_RIP]);
    for (int i = 0; i < count; ++i) {
        if (reinterpret_cast<std::uintptr_t>(frames[i]) == pc) {
            std::memmove(frames, frames + i, (count - i) * sizeof *frames);
            return count - i;
        }
    }
    if (CrashModules::Find(pc)) {
        return count;
    }
    frames[0] = reinterpret_cast<void*>(pc);
    std::uintptr_t caller = 0;
    const bool called = ReadWord(static_cast<std::uintptr_t>(registers[REG_RSP]), caller) && CrashModules::Find(caller);
    frames[1] = reinterpret_cast<void*>(caller);
    return called ? 2 : 1;
#else
    (void)frames;
    (void)context;
    return count;
#endif
}

// A file size limit would end the process with SIGXFSZ on the first write that passes
// it, in place of the crash's own signal; the write fails instead.
void IgnoreFileSizeLimit()
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

void WriteSignalReport(int signal, const siginfo_t* info, const void* context)
{
    IgnoreFileSizeLimit();
    const int fd = OpenReport();
    if (fd < 0) {
        return;
    }
    char cause[2 * TEXT_SIZE];
    Text text(cause, sizeof cause);
    text << "Signal: " << SignalName(signal) << " (";
    text.Number(static_cast<unsigned>(signal)) << "), code ";
    text.Signed(info->si_code);
    // A signal sent by a process (abort, raise, kill) has no faulting address: that
    // field then holds the sender's pid and uid.
    if (info->si_code > 0) {
        text << ", address ";
        text.Hex(reinterpret_cast<std::uintptr_t>(info->si_addr));
    } else {
        text << ", sent by process ";
        text.Signed(info->si_pid);
    }
    text << "\n";
    if (state.exceptionSet.load()) {
        text << "Exception: " << state.exception << "\n";
    }
    Report report(fd);
    WriteHead(report, cause);
    WriteCurrentThread(report);
    void* frames[MAX_FRAMES];
    const int count = FaultingFrames(frames, backtrace(frames, MAX_FRAMES), context);
    WriteFrames(report, frames, count);
    WriteTail(report);
    close(fd);
}

void RestoreDefaults()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : SIGNALS) {
        sigaction(signal, &action, nullptr);
    }
}

// A fault raised by the kernel comes back when the instruction runs again, now with the
// default action; a signal sent by the process (abort, raise, kill) must be sent again.
// Blocked while this handler runs, it ends the process as soon as the handler returns.
void ReRaise(int signal, const siginfo_t* info)
{
    RestoreDefaults();
    if (info->si_code <= 0) {
        syscall(SYS_tgkill, getpid(), ThreadId(), signal);
    }
}

void WaitForTheOtherThread()
{
    for (int second = 0; second < WAIT_FOR_OTHER_SECONDS; ++second) {
        timespec pause{1, 0};
        nanosleep(&pause, nullptr);
    }
}

extern "C" void OnCrashSignal(int signal, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    const long self = ThreadId();
    long none = 0;
    if (state.writer.compare_exchange_strong(none, self)) {
        if (!state.written.exchange(true)) {
            WriteSignalReport(signal, info, context);
        }
    } else if (none != self) {
        WaitForTheOtherThread();
    }
    // A crash inside the handler lands here at once: the defaults end it, no second try.
    ReRaise(signal, info);
    errno = savedErrno;
}

// Runs in the dying process outside any signal handler, so the exception may be looked
// at; the previous handler then ends the process as it would have (abort, SIGABRT).
void OnTerminate()
{
    Text text(state.exception, sizeof state.exception);
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) {
        text << "none (std::terminate called without an active exception)";
    } else {
        text.Line(Core::Demangled(type->name()).c_str());
        try {
            throw;
        } catch (const std::exception& error) {
            (text << ": ").Line(error.what());
        } catch (...) {
        }
    }
    state.exceptionSet.store(true);
    (state.previousTerminate ? state.previousTerminate : std::abort)();
}

struct AltStack {
    void* memory = nullptr;
    ~AltStack()
    {
        if (!memory) {
            return;
        }
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(memory, ALT_STACK_SIZE);
    }
};

void BuildIdentity()
{
    Identity* next = identity.load() == &identities[0] ? &identities[1] : &identities[0];
    Text text(next->text, sizeof next->text);
    text << "Session: " << state.session.c_str() << "\n";
    (text << "Product: ").Line(state.product.empty() ? "(not set yet)" : state.product.c_str());
    (text << (state.version.empty() ? "" : " ")).Line(state.version.c_str()) << "\n";
    text << "Library: " << state.library.c_str() << "\n";
    identity.store(next);
}

} // namespace

bool CrashHandler::Install(const QString& folder, const std::string& sessionId, const std::string& libraryVersion,
                           QString* problem)
{
    Uninstall();
    const int fd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *problem = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    state.folder = fd;
    Text(state.fileName, sizeof state.fileName) << sessionId.c_str() << ".txt";
    state.session = sessionId;
    state.library = libraryVersion;
    state.written.store(false);
    state.writer.store(0);
    BuildIdentity();
    App::RecentLogLines::Enable();
    // Only where the loader cannot be asked at the crash: the modules mapped now.
    CrashModules::Refresh();
    PrepareThread();
    // The first backtrace loads the unwinder, which allocates: never let that happen
    // inside the handler.
    void* warmUp[2];
    backtrace(warmUp, 2);
    struct sigaction action {};
    action.sa_sigaction = OnCrashSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < SIGNAL_COUNT; ++i) {
        sigaction(SIGNALS[i], &action, &state.previous[i]);
    }
    state.previousTerminate = std::set_terminate(OnTerminate);
    state.installed.store(true);
    return true;
}

void CrashHandler::Uninstall()
{
    if (!state.installed.exchange(false)) {
        return;
    }
    for (int i = 0; i < SIGNAL_COUNT; ++i) {
        sigaction(SIGNALS[i], &state.previous[i], nullptr);
    }
    std::set_terminate(state.previousTerminate);
    close(state.folder);
    state.folder = -1;
}

void CrashHandler::SetProduct(const std::string& name, const std::string& version)
{
    state.product = name;
    state.version = version;
    BuildIdentity();
}

void CrashHandler::PrepareThread()
{
    thread_local AltStack altStack;
    stack_t present{};
    if (altStack.memory || (sigaltstack(nullptr, &present) == 0 && !(present.ss_flags & SS_DISABLE))) {
        return;
    }
    void* memory = mmap(nullptr, ALT_STACK_SIZE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return;
    }
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = ALT_STACK_SIZE;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(memory, ALT_STACK_SIZE);
        return;
    }
    altStack.memory = memory;
}

bool CrashHandler::WriteHangReport(const char* reason, void* const* frames, int count, long threadId,
                                   const char* threadName)
{
    long none = 0;
    if (!state.installed.load() || !state.writer.compare_exchange_strong(none, ThreadId())) {
        return false;
    }
    state.written.store(true);
    const int fd = OpenReport();
    // Whatever happened, the report slot is used: the abort that follows writes nothing.
    state.writer.store(0);
    if (fd < 0) {
        return false;
    }
    Report report(fd);
    char cause[TEXT_SIZE];
    Text text(cause, sizeof cause);
    text << "Hang: " << reason << "\n";
    WriteHead(report, cause);
    WriteThread(report, threadId, threadName);
    WriteFrames(report, frames, count);
    WriteTail(report);
    close(fd);
    return true;
}

} // namespace Talvex::Native

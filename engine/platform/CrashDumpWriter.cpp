#include "engine/platform/CrashDumpWriter.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

#include <SDL.h>

#include "engine/core/CThread.h"

namespace oskel::platform {

namespace {

constexpr size_t kPathSize = 4096;
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr const char* kHelperFlag = "--show-crash-report";

// Everything the handler needs is prepared beforehand: it must not allocate.
struct SCrashState {
    bool installed = false;
    bool interactive = true;
    char title[128] = {};
    char programPath[kPathSize] = {};
    char programName[kPathSize] = {};
    char programFolder[kPathSize] = {};  // with a final '/'
    char fallbackFolder[kPathSize] = {};  // with a final '/'
    char reportPath[kPathSize] = {};
    std::terminate_handler previousTerminate = nullptr;
    struct sigaction previous[sizeof kSignals / sizeof kSignals[0]];
};

SCrashState g_state;
// The thread that writes the report (its kernel thread id), 0 while none does.
std::atomic<long> g_handlingThread{0};
static_assert(std::atomic<long>::is_always_lock_free, "the signal handler needs a lock-free flag");

// How long a thread that faults while another writes the report waits before it ends the
// process itself (the writer may be stuck).
constexpr unsigned kWaitForReportSeconds = 20;
// Names tried for the report when files of the same name exist.
constexpr int kReportNameTries = 100;

// Each thread's alternate signal stack, on which the handler runs even when the thread's own
// stack has overflowed; and the one it had before (a sanitizer's), given back at its end.
constexpr size_t kAlternateStackSize = 128 * 1024;
thread_local void* t_alternateStack = nullptr;
thread_local stack_t t_previousStack{};

size_t textLength(const char* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

void append(char* out, size_t size, const char* text) {
    size_t n = textLength(out);
    for (size_t i = 0; text[i] && n + 1 < size; ++i) out[n++] = text[i];
    out[n] = 0;
}

// Decimal or hexadecimal digits without the library.
void appendNumber(char* out, size_t size, unsigned long long value, unsigned base) {
    char digits[32];
    size_t n = 0;
    do {
        const unsigned d = static_cast<unsigned>(value % base);
        digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        value /= base;
    } while (value && n < sizeof digits);
    char text[34];
    size_t t = 0;
    if (base == 16) {
        text[t++] = '0';
        text[t++] = 'x';
    }
    while (n) text[t++] = digits[--n];
    text[t] = 0;
    append(out, size, text);
}

void writeText(int fd, const char* text) { (void)!write(fd, text, textLength(text)); }

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV: return "SIGSEGV (segmentation fault)";
        case SIGBUS: return "SIGBUS (bus error)";
        case SIGILL: return "SIGILL (illegal instruction)";
        case SIGFPE: return "SIGFPE (arithmetic error)";
        case SIGABRT: return "SIGABRT (abort)";
        default: return "signal";
    }
}

bool folderWritable(const char* folder) { return folder[0] && access(folder, W_OK) == 0; }

void withSlash(char* folder) {
    const size_t n = textLength(folder);
    if (n && folder[n - 1] != '/' && n + 1 < kPathSize) {
        folder[n] = '/';
        folder[n + 1] = 0;
    }
}

// "%s%s.%ld.dmp": folder, program name, seconds since 1970. A new file always: when the name is
// taken, "<program>.<seconds>.<n>.dmp" with the first n that is free.
int openReport() {
    const char* folder = folderWritable(g_state.programFolder) ? g_state.programFolder : g_state.fallbackFolder;
    const unsigned long long seconds =
        static_cast<unsigned long long>(time(nullptr)) & 0xffffffffull;
    for (int n = 0; n < kReportNameTries; ++n) {
        g_state.reportPath[0] = 0;
        append(g_state.reportPath, kPathSize, folder);
        append(g_state.reportPath, kPathSize, g_state.programName);
        append(g_state.reportPath, kPathSize, ".");
        appendNumber(g_state.reportPath, kPathSize, seconds, 10);
        if (n > 0) {
            append(g_state.reportPath, kPathSize, ".");
            appendNumber(g_state.reportPath, kPathSize, static_cast<unsigned long long>(n), 10);
        }
        append(g_state.reportPath, kPathSize, ".dmp");
        const int fd =
            open(g_state.reportPath, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void copyFile(const char* path, int to) {
    const int from = open(path, O_RDONLY | O_CLOEXEC);
    if (from < 0) return;
    char buffer[4096];
    ssize_t n;
    while ((n = read(from, buffer, sizeof buffer)) > 0) (void)!write(to, buffer, static_cast<size_t>(n));
    close(from);
}

void showMessageHelper() {
    if (!g_state.interactive || !getenv("DISPLAY")) return;
    const pid_t child = fork();
    if (child == 0) {
        char* const arguments[] = {g_state.programPath, const_cast<char*>(kHelperFlag), g_state.reportPath, nullptr};
        execv(g_state.programPath, arguments);
        _exit(127);
    }
}

// Ends the process with the signal's own failure status: the default action of the signal.
void endWithSignal(int signal) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    // A fault's signal is blocked inside its handler: it arrives when the handler returns (for a
    // fault, the faulting instruction runs again and ends the process).
}

void writeReport(int signal, siginfo_t* info) {
    const int fd = openReport();
    if (fd < 0) {
        writeText(2, "The game stopped after an unexpected error; no report could be written.\n");
        return;
    }
    char line[384] = {};
    append(line, sizeof line, g_state.title);
    append(line, sizeof line, " crash report\nsignal: ");
    append(line, sizeof line, signalName(signal));
    append(line, sizeof line, "\naddress: ");
    appendNumber(line, sizeof line,
                 reinterpret_cast<unsigned long long>(info ? info->si_addr : nullptr), 16);
    append(line, sizeof line, "\nthread: ");
    appendNumber(line, sizeof line, static_cast<unsigned long long>(syscall(SYS_gettid)), 10);
    append(line, sizeof line, "\n\nbacktrace:\n");
    writeText(fd, line);
    void* frames[64];
    const int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, fd);
    writeText(fd, "\nmemory map:\n");
    copyFile("/proc/self/maps", fd);
    // The last line: a report without it was cut short.
    writeText(fd, "\nend of report\n");
    close(fd);
    writeText(2, "The game stopped after an unexpected error. A report was written to ");
    writeText(2, g_state.reportPath);
    writeText(2, "\n");
    showMessageHelper();
}

void handleSignal(int signal, siginfo_t* info, void*) {
    const long self = static_cast<long>(syscall(SYS_gettid));
    long none = 0;
    if (g_handlingThread.compare_exchange_strong(none, self)) {
        writeReport(signal, info);
        endWithSignal(signal);
        return;
    }
    if (none != self) {
        // Another thread writes the report and then ends the process: one report, written whole.
        // Should it never get there, this thread ends the process after a while.
        for (unsigned waited = 0; waited < kWaitForReportSeconds; ++waited) sleep(1);
    }
    // A fault while writing the report, or a report that never ends: no second report.
    endWithSignal(signal);
}

// Gives the calling thread an alternate signal stack of its own (nothing when it has one).
void giveThreadAlternateStack() {
    if (t_alternateStack) return;
    void* memory = std::malloc(kAlternateStackSize);
    if (!memory) return;
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = kAlternateStackSize;
    if (sigaltstack(&stack, &t_previousStack) != 0) {
        std::free(memory);
        return;
    }
    t_alternateStack = memory;
}

// Gives the thread its earlier alternate signal stack back and frees its own.
void takeThreadAlternateStack() {
    if (!t_alternateStack) return;
    stack_t previous = t_previousStack;
    if (previous.ss_flags & SS_DISABLE) {
        previous = stack_t{};
        previous.ss_flags = SS_DISABLE;
    } else {
        previous.ss_flags = 0;
    }
    if (sigaltstack(&previous, nullptr) != 0) return;  // still in use: kept
    std::free(t_alternateStack);
    t_alternateStack = nullptr;
}

[[noreturn]] void handleTerminate() {
    // An uncaught exception: the abort handler writes the report.
    abort();
}

}  // namespace

CCrashDumpWriter::CCrashDumpWriter(const char* title, bool interactive, bool /*fullMemory*/) {
    g_state.title[0] = 0;
    append(g_state.title, sizeof g_state.title, title ? title : "");
    if (g_state.installed) return;
    g_state.interactive = interactive;
    const ssize_t n = readlink("/proc/self/exe", g_state.programPath, kPathSize - 1);
    if (n > 0) {
        g_state.programPath[n] = 0;
        const char* slash = std::strrchr(g_state.programPath, '/');
        const size_t folderLength = slash ? static_cast<size_t>(slash - g_state.programPath) + 1 : 0;
        std::memcpy(g_state.programFolder, g_state.programPath, folderLength);
        g_state.programFolder[folderLength] = 0;
        append(g_state.programName, kPathSize, slash ? slash + 1 : g_state.programPath);
    }
    const char* data = getenv("XDG_DATA_HOME");
    if (data && data[0]) {
        append(g_state.fallbackFolder, kPathSize, data);
    } else if (const char* home = getenv("HOME")) {
        append(g_state.fallbackFolder, kPathSize, home);
        append(g_state.fallbackFolder, kPathSize, "/.local/share");
    }
    withSlash(g_state.fallbackFolder);
    // The first backtrace loads what it needs; later ones (in the handler) then do not allocate.
    void* frames[4];
    backtrace(frames, 4);

    giveThreadAlternateStack();
    // Every thread the engine starts gets one too.
    CThread::setThreadHooks(giveThreadAlternateStack, takeThreadAlternateStack);
    struct sigaction action {};
    action.sa_sigaction = handleSignal;
    // The handler stays for every signal: a second faulting thread must find it, not the
    // default action that would end the process in the middle of the report.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        sigaction(kSignals[i], &action, &g_state.previous[i]);
    g_state.previousTerminate = std::set_terminate(handleTerminate);
    g_state.installed = true;
}

CCrashDumpWriter::~CCrashDumpWriter() {
    if (!g_state.installed) return;
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        sigaction(kSignals[i], &g_state.previous[i], nullptr);
    std::set_terminate(g_state.previousTerminate);
    CThread::setThreadHooks(nullptr, nullptr);
    takeThreadAlternateStack();
    g_state.installed = false;
}

void CCrashDumpWriter::setFallbackFolder(const char* folder) {
    g_state.fallbackFolder[0] = 0;
    if (folder) append(g_state.fallbackFolder, kPathSize, folder);
    withSlash(g_state.fallbackFolder);
}

void CCrashDumpWriter::setReportFolder(const char* folder) {
    g_state.programFolder[0] = 0;
    if (folder) {
        append(g_state.programFolder, kPathSize, folder);
        withSlash(g_state.programFolder);
    } else if (const char* slash = std::strrchr(g_state.programPath, '/')) {
        const size_t length = static_cast<size_t>(slash - g_state.programPath) + 1;
        std::memcpy(g_state.programFolder, g_state.programPath, length);
        g_state.programFolder[length] = 0;
    }
}

const char* CCrashDumpWriter::getReportFolder() const {
    return folderWritable(g_state.programFolder) ? g_state.programFolder : g_state.fallbackFolder;
}

int CCrashDumpWriter::runMessageHelper(const char* title, int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], kHelperFlag) != 0) return -1;
    char text[kPathSize + 128] = "There was an unexpected error.\n\nA report was written to\n";
    append(text, sizeof text, argv[2]);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title ? title : "", text, nullptr);
    return 0;
}

}  // namespace oskel::platform

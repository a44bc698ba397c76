#include "engine/platform/CrashDumpWriter.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

#include <SDL.h>

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
    bool handling = false;
    char programPath[kPathSize] = {};
    char programName[kPathSize] = {};
    char programFolder[kPathSize] = {};  // with a final '/'
    char fallbackFolder[kPathSize] = {};  // with a final '/'
    char reportPath[kPathSize] = {};
    std::terminate_handler previousTerminate = nullptr;
    struct sigaction previous[sizeof kSignals / sizeof kSignals[0]];
    void* alternateStack = nullptr;
};

SCrashState g_state;

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

// "%s%s.%ld.dmp": folder, program name, seconds since 1970.
int openReport() {
    const char* folder = folderWritable(g_state.programFolder) ? g_state.programFolder : g_state.fallbackFolder;
    g_state.reportPath[0] = 0;
    append(g_state.reportPath, kPathSize, folder);
    append(g_state.reportPath, kPathSize, g_state.programName);
    append(g_state.reportPath, kPathSize, ".");
    appendNumber(g_state.reportPath, kPathSize, static_cast<unsigned long long>(time(nullptr)) & 0xffffffffull, 10);
    append(g_state.reportPath, kPathSize, ".dmp");
    return open(g_state.reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
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

void handleSignal(int signal, siginfo_t* info, void*) {
    if (!g_state.handling) {
        g_state.handling = true;
        const int fd = openReport();
        if (fd >= 0) {
            char line[384] = {};
            append(line, sizeof line, g_state.title);
            append(line, sizeof line, " crash report\nsignal: ");
            append(line, sizeof line, signalName(signal));
            append(line, sizeof line, "\naddress: ");
            appendNumber(line, sizeof line, reinterpret_cast<unsigned long long>(info ? info->si_addr : nullptr), 16);
            append(line, sizeof line, "\n\nbacktrace:\n");
            writeText(fd, line);
            void* frames[64];
            const int count = backtrace(frames, 64);
            backtrace_symbols_fd(frames, count, fd);
            writeText(fd, "\nmemory map:\n");
            copyFile("/proc/self/maps", fd);
            close(fd);
            writeText(2, "The game stopped after an unexpected error. A report was written to ");
            writeText(2, g_state.reportPath);
            writeText(2, "\n");
            showMessageHelper();
        } else {
            writeText(2, "The game stopped after an unexpected error; no report could be written.\n");
        }
    }
    // The default action ends the process with the signal's failure status.
    ::signal(signal, SIG_DFL);
    raise(signal);
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

    stack_t stack{};
    stack.ss_size = 64 * 1024;
    g_state.alternateStack = std::malloc(stack.ss_size);
    stack.ss_sp = g_state.alternateStack;
    if (stack.ss_sp) sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_sigaction = handleSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
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
    stack_t disable{};
    disable.ss_flags = SS_DISABLE;
    sigaltstack(&disable, nullptr);
    std::free(g_state.alternateStack);
    g_state.alternateStack = nullptr;
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

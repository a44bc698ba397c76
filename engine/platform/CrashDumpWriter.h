#pragma once

namespace oskel::platform {

// Writes a crash report when the program dies of a fatal signal (segmentation fault, bus error,
// illegal instruction, arithmetic error, abort) or of an uncaught exception: the signal, the
// faulting address and thread, the backtrace and the memory map, written with async-signal-safe
// calls only, into a new file "<folder><program>.<seconds>.dmp" beside the program (or in the
// fallback folder when the program's folder cannot be written; "<program>.<seconds>.<n>.dmp"
// when the name is taken: no file is ever written over). The last line, "end of report", shows
// it whole. The player is then told where the report is (standard error, and a message box from
// a helper process when interactive and a display is there), and the signal is raised again so
// the process ends with a failure status.
//
// One report per process: the first faulting thread writes it; another thread that faults
// meanwhile waits for the process to end. The handler runs on an alternate signal stack, so a
// stack overflow leaves a report too: the creating thread and every thread the engine starts
// (CThread) get one.
class CCrashDumpWriter {
public:
    // The title heads the report and the message box.
    CCrashDumpWriter(const char* title, bool interactive, bool fullMemory);
    ~CCrashDumpWriter();
    CCrashDumpWriter(const CCrashDumpWriter&) = delete;
    CCrashDumpWriter& operator=(const CCrashDumpWriter&) = delete;

    // The folder for reports when the program's own folder cannot be written.
    void setFallbackFolder(const char* folder);
    // Reports go to this folder instead of the program's (none: the program's again).
    void setReportFolder(const char* folder);
    // The folder reports go to (ends with '/').
    const char* getReportFolder() const;

    // The helper mode of the program: shows the message box for a written report. Returns the
    // exit code, or -1 when the arguments do not ask for it.
    static int runMessageHelper(const char* title, int argc, char** argv);
};

}  // namespace oskel::platform

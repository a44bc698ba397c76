#pragma once

#include <functional>

#include "engine/core/OskelTypes.h"
#include "engine/core/Singleton.h"

namespace oskel {

// Log levels.
enum ELogLevel : s32 { LogInformation = 0, LogWarning = 1, LogError = 2 };

// The engine's log. Every message goes through log() or logHint(); the level filter applies to
// the wide operations only. Messages are written to standard error as "[level] text" (with
// ": hint" when there is one) unless an output hook is set, which then receives them instead.
class CLogger : public virtual IReferenceCounted, public TSingleton<CLogger, true> {
public:
    // Receives each message: text, hint (null when none) and level.
    using OutputHook = std::function<void(const char* text, const char* hint, s32 level)>;

    CLogger() = default;
    ~CLogger() override = default;

    virtual s32 getLogLevel() const { return m_logLevel; }
    // Levels of 3 and above are ignored.
    virtual void setLogLevel(s32 level);
    // Wide texts: dropped below the log level; each character is cut to its low byte.
    virtual void logWide(const wchar_t* text, s32 level);
    virtual void logWideHint(const wchar_t* text, const wchar_t* hint, s32 level);
    virtual void logHint(const char* text, const char* hint, s32 level);
    virtual void log(const char* text, s32 level);

    // Replaces the output; an empty hook restores standard error. Returns the previous hook.
    OutputHook setOutputHook(OutputHook hook);

private:
    void output(const char* text, const char* hint, s32 level);

    s32 m_logLevel = 0;
    OutputHook m_hook;
};

// Shorthands for the engine's log calls.
inline void logInfo(const char* text) { CLogger::instance().log(text, LogInformation); }
inline void logWarning(const char* text) { CLogger::instance().log(text, LogWarning); }
inline void logError(const char* text) { CLogger::instance().log(text, LogError); }

}  // namespace oskel

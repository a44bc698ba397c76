#include "engine/core/CLogger.h"

#include <cstdio>

#include "engine/core/StringUtils.h"

namespace oskel {

namespace {

const char* levelName(s32 level) {
    switch (level) {
        case LogInformation: return "info";
        case LogWarning: return "warning";
        case LogError: return "error";
        default: return "log";
    }
}

}  // namespace

void CLogger::setLogLevel(s32 level) {
    if (level < 3) m_logLevel = level;
}

void CLogger::logWide(const wchar_t* text, s32 level) {
    if (level < m_logLevel) return;
    log(narrowLowBytes(text).c_str(), level);
}

void CLogger::logWideHint(const wchar_t* text, const wchar_t* hint, s32 level) {
    if (level < m_logLevel) return;
    logHint(narrowLowBytes(text).c_str(), narrowLowBytes(hint).c_str(), level);
}

void CLogger::logHint(const char* text, const char* hint, s32 level) { output(text, hint, level); }

void CLogger::log(const char* text, s32 level) { output(text, nullptr, level); }

CLogger::OutputHook CLogger::setOutputHook(OutputHook hook) {
    OutputHook previous = std::move(m_hook);
    m_hook = std::move(hook);
    return previous;
}

void CLogger::output(const char* text, const char* hint, s32 level) {
    if (!text) text = "";
    if (m_hook) {
        m_hook(text, hint, level);
        return;
    }
    if (hint)
        std::fprintf(stderr, "[%s] %s: %s\n", levelName(level), text, hint);
    else
        std::fprintf(stderr, "[%s] %s\n", levelName(level), text);
}

}  // namespace oskel

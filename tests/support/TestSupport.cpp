#include <cstdlib>
#include "tests/support/TestSupport.h"

namespace oskel::test {

LogCapture::LogCapture() {
    m_previous = CLogger::instance().setOutputHook([this](const char* text, const char* hint, s32 level) {
        m_lines.push_back({text ? text : "", hint ? hint : "", level});
    });
}

LogCapture::~LogCapture() { CLogger::instance().setOutputHook(std::move(m_previous)); }

bool LogCapture::contains(const std::string& text, s32 level) const {
    for (const Line& line : m_lines)
        if (line.text == text && (level < 0 || line.level == level)) return true;
    return false;
}

bool displayRequired() {
    const char* required = std::getenv("OSKEL_TEST_DISPLAY");
    return required && *required && std::string(required) != "0";
}

}  // namespace oskel::test

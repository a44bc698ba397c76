#include <gtest/gtest.h>

#include "engine/core/CLogger.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

namespace {

// Restores the global log level after a test.
struct LevelGuard {
    s32 saved = CLogger::instance().getLogLevel();
    ~LevelGuard() { CLogger::instance().setLogLevel(saved); }
};

}  // namespace

TEST(Logger, LevelSettingIgnoresThreeAndAbove) {
    LevelGuard guard;
    CLogger& log = CLogger::instance();
    log.setLogLevel(1);
    log.setLogLevel(3);
    EXPECT_EQ(log.getLogLevel(), 1);
    log.setLogLevel(-5);
    EXPECT_EQ(log.getLogLevel(), -5);
    log.setLogLevel(2);
    EXPECT_EQ(log.getLogLevel(), 2);
}

TEST(Logger, OnlyWideOperationsFilterByLevel) {
    LevelGuard guard;
    test::LogCapture capture;
    CLogger& log = CLogger::instance();
    log.setLogLevel(2);
    log.logWide(L"wide warning", 1);
    log.logWideHint(L"wide hinted", L"hint", 1);
    EXPECT_TRUE(capture.lines().empty());
    log.logWide(L"wide error", 2);
    log.logWideHint(L"wide hinted error", L"the hint", 2);
    log.log("narrow info", 0);
    log.logHint("narrow hinted", "h", 0);
    ASSERT_EQ(capture.lines().size(), 4u);
    EXPECT_TRUE(capture.contains("wide error", 2));
    EXPECT_EQ(capture.lines()[1].hint, "the hint");
    EXPECT_TRUE(capture.contains("narrow info", 0));
    EXPECT_EQ(capture.lines()[3].hint, "h");
}

TEST(Logger, WideTextIsCutToLowBytes) {
    test::LogCapture capture;
    CLogger::instance().logWide(L"Caf\u00e9 \u4e00", 2);  // U+4E00 has the low byte 0
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0].text, "Caf\xe9 ?");
}

TEST(Logger, CaptureRestoresThePreviousOutput) {
    test::LogCapture outer;
    {
        test::LogCapture inner;
        logWarning("inner");
        EXPECT_TRUE(inner.contains("inner", LogWarning));
    }
    logError("outer");
    EXPECT_TRUE(outer.contains("outer", LogError));
    EXPECT_FALSE(outer.contains("inner"));
}

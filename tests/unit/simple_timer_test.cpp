#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/application.h"
#include "framework/timer.h"
#include "platform/headless/headless_window_system.h"
#include "tray/simple_timer.h"

namespace tovel {
namespace {

class SimpleTimerTest : public ::testing::Test {
  protected:
    headless::HeadlessWindowSystem windows;
    std::vector<std::uint64_t> ticks;

    TNotifyEvent Recorder() {
        return [this](TObject*) { ticks.push_back(windows.Now()); };
    }
};

TEST_F(SimpleTimerTest, ANewTimerDoesNotRunAndAZeroIntervalKeepsItStopped) {
    TSimpleTimer timer(windows);
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Tag(), 0);
    EXPECT_FALSE(timer.AutoDisable());
    timer.SetOnTimer(Recorder());
    windows.AdvanceTime(5000);
    EXPECT_TRUE(ticks.empty());

    TSimpleTimer zero(windows, 0, Recorder());
    zero.SetEnabled(true);
    EXPECT_FALSE(zero.Enabled());
    windows.AdvanceTime(5000);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(SimpleTimerTest, TicksWithTheTimerAsSenderAtEachPeriod) {
    TSimpleTimer timer(windows, 300, nullptr);
    TObject* sender = nullptr;
    timer.SetOnTimer([&](TObject* s) {
        sender = s;
        ticks.push_back(windows.Now());
    });
    timer.SetEnabled(true);
    EXPECT_EQ(SharedTimerHandler(windows)->ActiveCount(), 1u);
    windows.AdvanceTime(1000);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{300, 600, 900}));
    EXPECT_EQ(sender, &timer);
    timer.SetEnabled(false);
    EXPECT_EQ(SharedTimerHandler(windows)->ActiveCount(), 0u);
    windows.AdvanceTime(1000);
    EXPECT_EQ(ticks.size(), 3u);
}

TEST_F(SimpleTimerTest, IntervalChangesOnARunningTimer) {
    TSimpleTimer timer(windows, 400, Recorder());
    timer.SetEnabled(true);
    windows.AdvanceTime(300);
    timer.SetInterval(400);  // the same value: the period goes on
    windows.AdvanceTime(100);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{400}));

    timer.SetInterval(0);  // paused, still enabled
    EXPECT_TRUE(timer.Enabled());
    windows.AdvanceTime(2000);
    EXPECT_EQ(ticks.size(), 1u);

    timer.SetInterval(500);  // runs again, from now
    windows.AdvanceTime(1000);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{400, 2900, 3400}));
}

TEST_F(SimpleTimerTest, EnablingARunningTimerRestartsItsPeriod) {
    TSimpleTimer timer(windows, 1000, Recorder());
    timer.SetEnabled(true);
    windows.AdvanceTime(700);
    timer.SetEnabled(true);
    windows.AdvanceTime(1000);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1700}));
    EXPECT_EQ(SharedTimerHandler(windows)->ActiveCount(), 1u) << "counted once";
}

TEST_F(SimpleTimerTest, AutoDisableStopsBeforeTheHandlerWhichMayStartItAgain) {
    TSimpleTimer timer(windows, 100, nullptr);
    timer.SetAutoDisable(true);
    std::vector<bool> enabledInside;
    timer.SetOnTimer([&](TObject*) {
        enabledInside.push_back(timer.Enabled());
        if (enabledInside.size() == 1) {
            timer.SetEnabled(true);
        }
    });
    timer.SetEnabled(true);
    windows.AdvanceTime(1000);
    EXPECT_EQ(enabledInside, (std::vector<bool>{false, false}));
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(SimpleTimerTest, RemovingTheHandlerPausesUntilEnabledOrIntervalIsWritten) {
    TSimpleTimer timer(windows, 100, Recorder());
    timer.SetEnabled(true);
    timer.SetOnTimer(nullptr);
    EXPECT_TRUE(timer.Enabled());
    windows.AdvanceTime(500);
    timer.SetOnTimer(Recorder());
    windows.AdvanceTime(500);
    EXPECT_TRUE(ticks.empty()) << "a new handler alone does not restart the ticks";
    timer.SetInterval(200);
    windows.AdvanceTime(200);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1200}));
}

TEST_F(SimpleTimerTest, ARefusedSystemTimerLeavesTheTimerStopped) {
    TSimpleTimer timer(windows, 100, Recorder());
    windows.RefuseTimers = true;
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(SharedTimerHandler(windows)->ActiveCount(), 0u);
}

TEST_F(SimpleTimerTest, TimersShareOneWindowMadeWhenOneFirstRunsThatGoesWithTheLastTimer) {
    auto first = TSimpleTimer::Create(windows);
    auto second = TSimpleTimer::CreateEx(windows, 50, Recorder());
    EXPECT_EQ(SharedTimerHandler(windows)->RefCount(), 2u);
    EXPECT_NE(first->Id(), second->Id());
    first->SetEnabled(false);
    first->SetInterval(0);
    first->SetEnabled(true);  // interval 0: does not run
    second->SetOnTimer(nullptr);
    second->SetOnTimer(Recorder());
    EXPECT_TRUE(windows.MessageWindows().empty()) << "no timer has run yet";

    second->SetEnabled(true);
    ASSERT_EQ(windows.MessageWindows().size(), 1u);
    const THandle window = SharedTimerHandler(windows)->WindowHandle();
    EXPECT_EQ(windows.MessageWindows().front(), window);
    EXPECT_EQ(windows.RunningTimers(), 1u);
    first->SetInterval(70);
    first->SetEnabled(true);
    EXPECT_EQ(windows.MessageWindows().size(), 1u) << "shared";
    EXPECT_EQ(windows.RunningTimers(), 2u);
    first->SetEnabled(false);

    second.reset();  // a running timer stops with its object
    EXPECT_EQ(windows.RunningTimers(), 0u);
    EXPECT_EQ(windows.MessageWindows().size(), 1u);
    first.reset();
    EXPECT_EQ(SharedTimerHandler(windows), nullptr);
    EXPECT_TRUE(windows.MessageWindows().empty());

    TSimpleTimer later(windows, 10, Recorder());
    EXPECT_TRUE(windows.MessageWindows().empty());
    later.SetEnabled(true);
    ASSERT_EQ(windows.MessageWindows().size(), 1u);
    EXPECT_NE(windows.MessageWindows().front(), window);
    EXPECT_EQ(windows.MessageWindowsCreated(), 2);
}

TEST_F(SimpleTimerTest, ATickForAnIdOfNoLiveTimerIsIgnored) {
    TSimpleTimer kept(windows, 100, Recorder());
    auto gone = std::make_unique<TSimpleTimer>(windows, 100, Recorder());
    const std::uint32_t goneId = gone->Id();
    gone->SetEnabled(true);
    gone.reset();
    const THandle window = SharedTimerHandler(windows)->WindowHandle();

    for (std::uintptr_t id : {std::uintptr_t{goneId}, std::uintptr_t{0}, std::uintptr_t{12345},
                              std::uintptr_t{kept.Id()} + (std::uintptr_t{1} << 32)}) {
        TMessage tick{msg::kTimer, id, 0, 0};
        EXPECT_TRUE(windows.SendToMessageWindow(window, tick));
    }
    EXPECT_TRUE(ticks.empty());

    TMessage tick{msg::kTimer, kept.Id(), 0, 0};
    windows.SendToMessageWindow(window, tick);
    EXPECT_EQ(ticks.size(), 1u) << "the live timer's own id reaches it";
}

TEST_F(SimpleTimerTest, AFrameworkTimerOnTheSameSystemTimersTicksApart) {
    // Both kinds start their system timers from the one service, each under
    // ids of its own: starting or stopping one must leave the other alone.
    TApplication application(windows);
    TTimer frameworkTimer(application, nullptr);
    std::vector<std::uint64_t> frameworkTicks;
    frameworkTimer.OnTimer = [&](TObject*) { frameworkTicks.push_back(windows.Now()); };
    frameworkTimer.SetInterval(500);
    TSimpleTimer timer(windows, 300, Recorder());
    timer.SetEnabled(true);
    frameworkTimer.SetEnabled(false);
    frameworkTimer.SetEnabled(true);
    windows.AdvanceTime(1000);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{300, 600, 900}));
    EXPECT_EQ(frameworkTicks, (std::vector<std::uint64_t>{500, 1000}));

    frameworkTimer.SetEnabled(false);
    windows.AdvanceTime(300);
    EXPECT_EQ(ticks.size(), 4u);
    timer.SetEnabled(false);
    frameworkTimer.SetEnabled(true);
    windows.AdvanceTime(500);
    EXPECT_EQ(frameworkTicks.size(), 3u);
    EXPECT_EQ(ticks.size(), 4u);
}

TEST_F(SimpleTimerTest, TagIsTheUsersOwn) {
    TSimpleTimer timer(windows, 100, Recorder());
    timer.SetTag(-7);
    timer.SetEnabled(true);
    windows.AdvanceTime(100);
    EXPECT_EQ(timer.Tag(), -7);
    EXPECT_EQ(ticks.size(), 1u);
}

}  // namespace
}  // namespace tovel

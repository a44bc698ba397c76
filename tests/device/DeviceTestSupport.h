#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/device/CDeviceBase.h"
#include "engine/core/event/DeviceEvents.h"
#include "tests/support/TestSupport.h"

namespace oskel::test {

// A device whose clock moves only when the loop sleeps, by the amounts a test lines up. When
// none are left the device closes itself, so every loop ends.
class SteppedDevice : public CDeviceBase {
public:
    SteppedDevice()
        : SteppedDevice(std::make_unique<uint64_t>(100000)) {}

    using CDeviceBase::EMessageResult;
    using CDeviceBase::MessageHandled;
    using CDeviceBase::MessageNone;
    using CDeviceBase::MessageQuit;

    std::deque<u32> advances;           // added to the clock at each sleep
    std::deque<EMessageResult> messages;  // what the pump finds, turn by turn (then none)
    std::vector<u32> sleeps;            // the sleeps the loop asked for
    std::vector<bool> waits;            // whether each turn waited for a message
    std::function<void(int turn)> onTurn;
    int turn = 0;

    void setVisible(bool visible) { m_visible = visible; }
    void setActive(bool active) { m_active = active; }
    void setWindowFromOutside(bool given) { m_windowFromOutside = given; }
    void advance(u32 ms) { *m_now += ms; }

protected:
    EMessageResult takeMessage(bool wait) override {
        ++turn;
        waits.push_back(wait);
        if (onTurn) onTurn(turn);
        if (messages.empty()) return MessageNone;
        const EMessageResult r = messages.front();
        messages.pop_front();
        return r;
    }
    void sleepFor(u32 ms) override {
        sleeps.push_back(ms);
        if (advances.empty()) {
            closeDevice();
            return;
        }
        *m_now += advances.front();
        advances.pop_front();
    }

private:
    explicit SteppedDevice(std::unique_ptr<uint64_t> now)
        : CDeviceBase(SDeviceParameters(), std::make_unique<SteppedClock>(now.get())),
          m_owned(std::move(now)),
          m_now(m_owned.get()) {}

    std::unique_ptr<uint64_t> m_owned;
    uint64_t* m_now;
};

// Records the events it is offered as short texts: "u10" for an update of 10 ms, "r" for a
// frame, otherwise the type id.
class Recorder : public CEventReceiver {
public:
    explicit Recorder(std::vector<std::string>* log, std::string name = "", u32 mask = 0xffffffffu)
        : log(log), name(std::move(name)) {
        setCategoryMask(mask);
    }
    bool onEvent(CEvent* event) override {
        std::string text;
        if (event->getTypeId() == EventSystemFlowUpdate)
            text = "u" + std::to_string(static_cast<CEventSystemFlowUpdate*>(event)->getElapsed());
        else if (event->getTypeId() == EventSystemFlowRender)
            text = "r";
        else
            text = std::to_string(event->getTypeId());
        log->push_back(name.empty() ? text : name + ":" + text);
        if (action) action(event);
        return consume;
    }
    std::vector<std::string>* log;
    std::string name;
    bool consume = false;
    std::function<void(CEvent*)> action;
};

}  // namespace oskel::test

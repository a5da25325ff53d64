#pragma once

#include "platform/system/instance_channel.h"

#include <string>
#include <vector>

namespace ziq::test {

// Alone by default: no other copy runs.
class FakeInstanceChannel final : public InstanceChannel {
public:
    bool anotherInstanceRunning() override { return otherRunning; }
    bool bringForward(const std::string& title) override {
        searchedTitles.push_back(title);
        return otherTitle == title;
    }
    void setComeForwardHandler(ComeForwardHandler newHandler) override {
        handler = std::move(newHandler);
    }
    void close() override { ++closes; }

    bool otherRunning = false;
    std::string otherTitle = "ZIQ2"; // the running copy's title; empty: it cannot be found
    std::vector<std::string> searchedTitles;
    ComeForwardHandler handler;
    int closes = 0;
};

} // namespace ziq::test

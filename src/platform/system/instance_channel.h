#pragma once

#include <functional>
#include <string>

namespace ziq {

// How copies of the program in one desktop session find each other.
class InstanceChannel {
public:
    // Answers a later copy's request: true when `title` is this copy's application title,
    // after bringing this copy's top window forward.
    using ComeForwardHandler = std::function<bool(const std::string& title)>;

    virtual ~InstanceChannel() = default;

    // Whether another copy is running. When none is, this copy takes the channel, so the next
    // copy to ask finds this one.
    virtual bool anotherInstanceRunning() = 0;

    // Asks the running copy to come forward if its application title is `title`. False when
    // no copy answers to that title: it carries another one, or it has ended meanwhile, in
    // which case this copy takes the channel over.
    virtual bool bringForward(const std::string& title) = 0;

    virtual void setComeForwardHandler(ComeForwardHandler handler) = 0;

    // This copy is ending: later copies no longer find it.
    virtual void close() = 0;
};

} // namespace ziq

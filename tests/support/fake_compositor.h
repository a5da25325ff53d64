#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ziq::test {

enum class DataControlKind { Ext, Wlr };

// For parameterised tests' names.
template <typename ParamInfo> std::string kindName(const ParamInfo& param) {
    return param.param == DataControlKind::Ext ? "ext" : "wlr";
}

// A Wayland server in this process, on a thread of its own, with a seat and one data-control
// protocol: enough to run the data-control client against cases that a real compositor shows
// only by chance (event order, a compositor that drops us).
class FakeCompositor final {
public:
    using Contents = std::vector<std::pair<std::string, std::string>>;

    explicit FakeCompositor(DataControlKind kind);
    ~FakeCompositor();
    FakeCompositor(const FakeCompositor&) = delete;
    FakeCompositor& operator=(const FakeCompositor&) = delete;

    // The client's end of a new connection, for wl_display_connect_to_fd.
    int connectClient();
    // Another program copies `contents`; the server serves them itself, except that the first
    // `unanswered` pastes get no answer: their pipe stays open until the reader closes it.
    void copy(Contents contents, int unanswered = 0);
    // When a client's selection is replaced, compositors differ in whether the old source
    // hears `cancelled` before or after the devices hear of the new selection.
    void setCancelledFirst(bool cancelledFirst);
    // Pastes the selection as `type`: the read end of the pipe it arrives through (the
    // caller closes it), or -1 when there is no selection.
    int paste(const std::string& type);
    std::vector<std::string> selectionTypes();
    bool selectionIsAClients();
    // How a compositor ends data control: the device's `finished`, the manager's global
    // withdrawn, or the connection closed.
    void finishDevices();
    void withdrawManager();
    void offerManagerAgain();
    void closeClients();

private:
    struct State;
    void run(const std::function<void()>& job);

    std::unique_ptr<State> state_;
    std::thread thread_;
};

} // namespace ziq::test

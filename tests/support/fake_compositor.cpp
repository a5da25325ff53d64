#include "support/fake_compositor.h"

#include "ext-data-control-v1-server-protocol.h"
#include "platform/clipboard/pipe_io.h"
#include "wlr-data-control-unstable-v1-server-protocol.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <future>
#include <mutex>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wayland-server.h>

namespace ziq::test {

namespace {

struct Protocol {
    const wl_interface* manager;
    const wl_interface* device;
    const wl_interface* source;
    const wl_interface* offer;
};

// The two protocols share their wire layout, so the wlr senders serve both.
constexpr Protocol kExt{
    &ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
    &ext_data_control_source_v1_interface, &ext_data_control_offer_v1_interface};
constexpr Protocol kWlr{
    &zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface,
    &zwlr_data_control_source_v1_interface, &zwlr_data_control_offer_v1_interface};

} // namespace

struct FakeCompositor::State {
    struct Source {
        State* state;
        std::vector<std::string> types;
    };
    struct Offer {
        State* state;
        std::uint64_t generation;
    };

    const Protocol* protocol = nullptr;
    wl_display* display = wl_display_create();
    wl_event_loop* loop = wl_display_get_event_loop(display);
    int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::mutex mutex;
    std::deque<std::function<void()>> jobs;
    bool stop = false;
    bool cancelledFirst = true;

    wl_global* managerGlobal = nullptr;
    std::vector<wl_resource*> devices;
    // The selection: a client's source, or contents the server serves; `generation` tells a
    // stale offer from the current one.
    wl_resource* selection = nullptr;
    Contents served;
    bool any = false;
    int unanswered = 0;
    std::uint64_t generation = 0;
    std::vector<std::thread> writers;

    static State& of(wl_resource* resource) {
        return *static_cast<State*>(wl_resource_get_user_data(resource));
    }

    std::vector<std::string> types() const {
        std::vector<std::string> names;
        if (selection != nullptr) {
            names = static_cast<Source*>(wl_resource_get_user_data(selection))->types;
        }
        for (const auto& [type, bytes] : served) {
            names.push_back(type);
        }
        return names;
    }

    void serve(const std::string& type, int fd) {
        if (selection != nullptr) {
            zwlr_data_control_source_v1_send_send(selection, type.c_str(), fd);
            ::close(fd);
            return;
        }
        if (unanswered > 0) {
            --unanswered;
            writers.emplace_back([fd] {
                pollfd gone{fd, 0, 0}; // a pipe's writer hears POLLERR once the reader has gone
                ::poll(&gone, 1, 30000);
                ::close(fd);
            });
            return;
        }
        std::string bytes;
        for (const auto& [offered, value] : served) {
            if (offered == type) {
                bytes = value;
            }
        }
        // A thread of its own, so that a slow reader holds no one up.
        writers.emplace_back([fd, bytes = std::move(bytes)] {
            writePipe(fd, bytes, std::chrono::steady_clock::now() + std::chrono::seconds(30));
            ::close(fd);
        });
    }

    void announce(wl_resource* device) {
        if (!any) {
            zwlr_data_control_device_v1_send_selection(device, nullptr);
            return;
        }
        wl_resource* offer = wl_resource_create(wl_resource_get_client(device), protocol->offer,
                                                wl_resource_get_version(device), 0);
        wl_resource_set_implementation(
            offer, &offerRequests, new Offer{this, generation}, [](wl_resource* resource) {
                delete static_cast<Offer*>(wl_resource_get_user_data(resource));
            });
        zwlr_data_control_device_v1_send_data_offer(device, offer);
        for (const std::string& type : types()) {
            zwlr_data_control_offer_v1_send_offer(offer, type.c_str());
        }
        zwlr_data_control_device_v1_send_selection(device, offer);
    }

    void select(wl_resource* newSource, Contents contents, bool newAny) {
        wl_resource* old = selection;
        selection = newSource;
        served = std::move(contents);
        any = newAny;
        ++generation;
        const bool cancel = old != nullptr && old != newSource;
        if (cancel && cancelledFirst) {
            zwlr_data_control_source_v1_send_cancelled(old);
        }
        for (wl_resource* device : devices) {
            announce(device);
        }
        if (cancel && !cancelledFirst) {
            zwlr_data_control_source_v1_send_cancelled(old);
        }
    }

    void offerManager() {
        managerGlobal = wl_global_create(
            display, protocol->manager, 1, this,
            [](wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
                wl_resource* resource = wl_resource_create(
                    client, static_cast<State*>(data)->protocol->manager, int(version), id);
                wl_resource_set_implementation(resource, &managerRequests, data, nullptr);
            });
    }

    static const struct zwlr_data_control_offer_v1_interface offerRequests;
    static const struct zwlr_data_control_source_v1_interface sourceRequests;
    static const struct zwlr_data_control_device_v1_interface deviceRequests;
    static const struct zwlr_data_control_manager_v1_interface managerRequests;
};

const struct zwlr_data_control_offer_v1_interface FakeCompositor::State::offerRequests {
    [](wl_client*, wl_resource* resource, const char* type, int fd) {
        auto* offer = static_cast<Offer*>(wl_resource_get_user_data(resource));
        if (offer->generation == offer->state->generation && offer->state->any) {
            offer->state->serve(type, fd);
        } else {
            ::close(fd);
        }
    },
        [](wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
};

const struct zwlr_data_control_source_v1_interface FakeCompositor::State::sourceRequests {
    [](wl_client*, wl_resource* resource, const char* type) {
        static_cast<Source*>(wl_resource_get_user_data(resource))->types.emplace_back(type);
    },
        [](wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
};

const struct zwlr_data_control_device_v1_interface FakeCompositor::State::deviceRequests {
    [](wl_client*, wl_resource* resource, wl_resource* source) {
        of(resource).select(source, {}, source != nullptr);
    },
        [](wl_client*, wl_resource* resource) { wl_resource_destroy(resource); },
        [](wl_client*, wl_resource*, wl_resource*) {}
};

const struct zwlr_data_control_manager_v1_interface FakeCompositor::State::managerRequests {
    [](wl_client* client, wl_resource* resource, std::uint32_t id) {
        State& state = of(resource);
        wl_resource* source = wl_resource_create(client, state.protocol->source,
                                                 wl_resource_get_version(resource), id);
        wl_resource_set_implementation(
            source, &sourceRequests, new Source{&state, {}}, [](wl_resource* gone) {
                auto* data = static_cast<Source*>(wl_resource_get_user_data(gone));
                State& owner = *data->state;
                delete data;
                if (owner.selection == gone && !owner.stop) {
                    owner.selection = nullptr; // a destroyed source leaves nothing
                    owner.select(nullptr, {}, false);
                }
            });
    },
        [](wl_client* client, wl_resource* resource, std::uint32_t id, wl_resource*) {
            State& state = of(resource);
            wl_resource* device = wl_resource_create(client, state.protocol->device,
                                                     wl_resource_get_version(resource), id);
            wl_resource_set_implementation(device, &deviceRequests, &state, [](wl_resource* gone) {
                std::erase(of(gone).devices, gone);
            });
            state.devices.push_back(device);
            state.announce(device);
        },
        [](wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
};

FakeCompositor::FakeCompositor(DataControlKind kind) : state_(std::make_unique<State>()) {
    State& state = *state_;
    state.protocol = kind == DataControlKind::Ext ? &kExt : &kWlr;
    wl_global_create(state.display, &wl_seat_interface, 1, nullptr,
                     [](wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
                         wl_resource_create(client, &wl_seat_interface, int(version), id);
                     });
    state.offerManager();
    wl_event_source* wake = wl_event_loop_add_fd(
        state.loop, state.wake, WL_EVENT_READABLE,
        [](int fd, std::uint32_t, void* data) {
            auto& woken = *static_cast<State*>(data);
            eventfd_t count = 0;
            eventfd_read(fd, &count);
            std::unique_lock lock(woken.mutex);
            while (!woken.jobs.empty()) {
                auto job = std::move(woken.jobs.front());
                woken.jobs.pop_front();
                lock.unlock();
                job();
                lock.lock();
            }
            return 0;
        },
        &state);
    thread_ = std::thread([&state, wake] {
        while (!state.stop) {
            wl_display_flush_clients(state.display);
            wl_event_loop_dispatch(state.loop, -1);
        }
        wl_event_source_remove(wake);
        wl_display_destroy_clients(state.display);
        wl_display_destroy(state.display);
    });
}

FakeCompositor::~FakeCompositor() {
    run([this] { state_->stop = true; });
    thread_.join();
    for (std::thread& writer : state_->writers) {
        writer.join();
    }
    ::close(state_->wake);
}

void FakeCompositor::run(const std::function<void()>& job) {
    std::promise<void> done;
    {
        std::lock_guard lock(state_->mutex);
        state_->jobs.emplace_back([&] {
            job();
            wl_display_flush_clients(state_->display); // sent before the caller goes on
            done.set_value();
        });
    }
    eventfd_write(state_->wake, 1);
    done.get_future().wait();
}

int FakeCompositor::connectClient() {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return -1;
    }
    run([&] { wl_client_create(state_->display, ends[0]); });
    return ends[1];
}

void FakeCompositor::copy(Contents contents, int unanswered) {
    run([&] {
        state_->unanswered = unanswered;
        state_->select(nullptr, std::move(contents), true);
    });
}

void FakeCompositor::setCancelledFirst(bool cancelledFirst) {
    run([&] { state_->cancelledFirst = cancelledFirst; });
}

int FakeCompositor::paste(const std::string& type) {
    int ends[2] = {-1, -1};
    bool any = false;
    run([&] {
        any = state_->any;
        if (any && ::pipe2(ends, O_CLOEXEC) == 0) {
            state_->serve(type, ends[1]);
        }
    });
    return any ? ends[0] : -1;
}

std::vector<std::string> FakeCompositor::selectionTypes() {
    std::vector<std::string> types;
    run([&] { types = state_->types(); });
    return types;
}

bool FakeCompositor::selectionIsAClients() {
    bool client = false;
    run([&] { client = state_->selection != nullptr; });
    return client;
}

void FakeCompositor::finishDevices() {
    run([&] {
        for (wl_resource* device : state_->devices) {
            zwlr_data_control_device_v1_send_finished(device);
        }
    });
}

void FakeCompositor::withdrawManager() {
    run([&] {
        wl_global_remove(state_->managerGlobal); // destroyed with the display
    });
}

void FakeCompositor::offerManagerAgain() {
    run([&] { state_->offerManager(); });
}

void FakeCompositor::closeClients() {
    run([&] {
        std::vector<wl_client*> clients;
        wl_client* client = nullptr;
        wl_client_for_each(client, wl_display_get_client_list(state_->display)) {
            clients.push_back(client);
        }
        for (wl_client* each : clients) {
            wl_client_destroy(each);
        }
    });
}

} // namespace ziq::test

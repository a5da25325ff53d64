#pragma once

namespace ziq {

// Read-only access to the system registry (Windows); elsewhere there is none.
class Registry {
public:
    virtual ~Registry() = default;
};

} // namespace ziq

// The handles the internet layer gives out: a table of the live ones, so that a closed,
// null or made-up handle is refused instead of followed.
#pragma once

#include "Inet.h"

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

// What a handle stands for: a session, a connection or a request.
struct InetObject {
    virtual ~InetObject() = default;
};

// Handles form a tree, and closing one closes the handles under it too, as in WinInet.
// An object lives on while a call that found it is still using it, even when another
// thread closes its handle meanwhile.
class InetHandleTable {
public:
    static InetHandleTable& Instance();

    // parent: null for a session.
    InetHandle Add(std::shared_ptr<InetObject> object, InetHandle parent);

    // The object of a live handle, or null.
    std::shared_ptr<InetObject> FindAny(InetHandle handle);

    // false when the handle is not live.
    bool Close(InetHandle handle);

private:
    struct Entry {
        std::shared_ptr<InetObject> object;
        InetHandle parent{nullptr};
        std::vector<InetHandle> children;
    };
    void Remove(InetHandle handle, std::vector<std::shared_ptr<InetObject>>& removed);

    std::mutex m_mutex;
    std::unordered_map<InetHandle, Entry> m_entries;
};

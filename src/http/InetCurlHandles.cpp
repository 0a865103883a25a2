// The table of live internet handles.
#include "InetCurlHandles.h"

#include <algorithm>

InetHandleTable& InetHandleTable::Instance() {
    static InetHandleTable table;
    return table;
}

InetHandle InetHandleTable::Add(std::shared_ptr<InetObject> object, InetHandle parent) {
    auto handle = object.get();
    std::lock_guard lock(m_mutex);
    if (parent) {
        auto found = m_entries.find(parent);
        if (found == m_entries.end())
            return nullptr;
        found->second.children.push_back(handle);
    }
    m_entries[handle] = Entry{std::move(object), parent, {}};
    return handle;
}

std::shared_ptr<InetObject> InetHandleTable::FindAny(InetHandle handle) {
    std::lock_guard lock(m_mutex);
    auto found = m_entries.find(handle);
    return found == m_entries.end() ? nullptr : found->second.object;
}

bool InetHandleTable::Close(InetHandle handle) {
    // The objects are destroyed after the lock is given up: a request's destructor talks
    // to libcurl, which must not hold up every other thread's calls.
    std::vector<std::shared_ptr<InetObject>> removed;
    {
        std::lock_guard lock(m_mutex);
        auto found = m_entries.find(handle);
        if (found == m_entries.end())
            return false;
        InetHandle parent = found->second.parent;
        if (auto parentEntry = m_entries.find(parent); parent && parentEntry != m_entries.end())
            std::erase(parentEntry->second.children, handle);
        Remove(handle, removed);
    }
    return true;
}

void InetHandleTable::Remove(InetHandle handle, std::vector<std::shared_ptr<InetObject>>& removed) {
    auto found = m_entries.find(handle);
    if (found == m_entries.end())
        return;
    Entry entry = std::move(found->second);
    m_entries.erase(found);
    removed.push_back(std::move(entry.object));
    for (InetHandle child : entry.children)
        Remove(child, removed);
}

// libcurl's one-time initialisation and the shared cookie store, with the locks that let
// requests on several threads use the store at once.
#include "InetCurlGlobal.h"

#include <array>
#include <mutex>

namespace {

class CurlGlobal {
public:
    CurlGlobal() {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            return;
        m_share = curl_share_init();
        if (!m_share)
            return;
        curl_share_setopt(m_share, CURLSHOPT_LOCKFUNC, Lock);
        curl_share_setopt(m_share, CURLSHOPT_UNLOCKFUNC, Unlock);
        curl_share_setopt(m_share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    // Nothing is cleaned up: a check still running on an abandoned worker thread may be
    // inside libcurl while the process exits.
    ~CurlGlobal() = default;
    CurlGlobal(const CurlGlobal&) = delete;
    CurlGlobal& operator=(const CurlGlobal&) = delete;

    CURLSH* Share() const { return m_share; }

private:
    static std::mutex& MutexFor(curl_lock_data data, void* self) {
        auto& mutexes = static_cast<CurlGlobal*>(self)->m_mutexes;
        auto index = static_cast<size_t>(data);
        return mutexes[index < mutexes.size() ? index : 0];
    }
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        MutexFor(data, self).lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) { MutexFor(data, self).unlock(); }

    CURLSH* m_share{nullptr};
    std::array<std::mutex, CURL_LOCK_DATA_LAST> m_mutexes;
};

} // namespace

CURLSH* InetCurlShare() {
    static CurlGlobal global;
    return global.Share();
}

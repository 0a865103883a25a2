// Debian's nginx on a free loopback port serving files it holds already compressed: a
// request that accepts gzip for "/page.html" gets the bytes of "page.html.gz" as they are,
// so that a benchmark times the client, not nginx compressing on every request.
#pragma once

#include "support/ChildProcess.h"
#include "support/TempDirectory.h"

#include <memory>
#include <string>
#include <string_view>

class GzipStaticNginx {
public:
    GzipStaticNginx();
    GzipStaticNginx(const GzipStaticNginx&) = delete;
    GzipStaticNginx& operator=(const GzipStaticNginx&) = delete;

    // Whether nginx started and answers; when not, Log() says why.
    bool Running() const { return m_running; }
    // "http://127.0.0.1:<port>" followed by the path.
    std::string Url(std::string_view path) const;
    // Writes a file under the document root, served as "/" + name; returns its path.
    std::string WriteFile(std::string_view name, std::string_view bytes) const;
    std::string Log() const;

private:
    bool Start();
    std::string Config() const;

    TempDirectory m_directory;
    std::unique_ptr<ChildProcess> m_process;
    int m_port{0};
    bool m_running{false};
};

// Debian's nginx (/usr/sbin/nginx) on a free loopback port, for end-to-end tests and
// benchmarks against a real server: plain or TLS, with or without its gzip module,
// serving the files the test writes.
#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"
#include "TestCertificates.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct NginxOptions {
    bool gzip = false;
    // Responses shorter than this are sent uncompressed (nginx's gzip_min_length).
    int gzipMinLength = 20;
    // A request that accepts gzip for "/x" gets the bytes of "x.gz" as they are (nginx's
    // gzip_static), so a benchmark times the client, not nginx compressing every request.
    bool gzipStatic = false;
    bool tls = false;
    // The subjectAltName entries of the server certificate.
    std::vector<std::string> certificateNames = {"IP:127.0.0.1", "DNS:localhost"};
};

// Everything nginx needs (configuration, document root, logs, pid file, temporary files,
// certificates) lives in one temporary directory. nginx runs in the foreground as a single
// process and is stopped in the destructor.
class Nginx {
public:
    explicit Nginx(NginxOptions options = {});
    ~Nginx();
    Nginx(const Nginx&) = delete;
    Nginx& operator=(const Nginx&) = delete;

    // Whether nginx started and answers; when not, Log() says why.
    bool Running() const { return m_running; }
    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>" or "https://..." followed by the path.
    std::string Url(std::string_view path = "/") const;
    // Writes a file under the document root; nginx serves it as "/" + relativePath.
    // Returns the file's path.
    std::string WriteFile(std::string_view relativePath, std::string_view bytes) const;
    // The certificate of the CA that signed the server certificate (TLS only).
    const std::string& CaFile() const { return m_certificates.caFile; }
    // nginx's error log and its standard output, for failure messages.
    std::string Log() const;

private:
    bool Start();
    std::string Config() const;

    NginxOptions m_options;
    TempDirectory m_directory;
    TestCertificates m_certificates;
    std::unique_ptr<ChildProcess> m_process;
    int m_port{0};
    bool m_running{false};
};

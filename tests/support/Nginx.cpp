// Writing nginx's configuration, starting it on a free port and waiting until it answers.
#include "Nginx.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

const std::string kNginx = "/usr/sbin/nginx";

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

// A port nobody listens on now. Another program may take it before nginx does; Start
// then tries again with a new one.
int FreePort() {
    int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    int port = 0;
    if (descriptor >= 0 &&
        ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (descriptor >= 0)
        ::close(descriptor);
    return port;
}

bool Answers(int port) {
    int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = LoopbackAddress(port);
    bool connected = descriptor >= 0 && ::connect(descriptor, reinterpret_cast<sockaddr*>(&address),
                                                  sizeof address) == 0;
    if (descriptor >= 0)
        ::close(descriptor);
    return connected;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

} // namespace

Nginx::Nginx(NginxOptions options) : m_options(std::move(options)) {
    if (m_options.tls) {
        m_certificates = MakeTestCertificates(m_directory.Path(), m_options.certificateNames);
        if (!m_certificates.made)
            return;
    }
    for (int attempt = 0; attempt < 3 && !m_running; ++attempt)
        m_running = Start();
}

Nginx::~Nginx() = default;

std::string Nginx::Config() const {
    const std::string& dir = m_directory.Path();
    std::ostringstream config;
    config << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
           << "pid " << dir << "/nginx.pid;\n"
           << "error_log " << dir << "/error.log notice;\n";
    // As root nginx would look up the user "nobody" for its files; stay who we are.
    if (::geteuid() == 0)
        config << "user root root;\n";
    config << "events { worker_connections 64; }\n"
           << "http {\n"
           << "    access_log off;\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        config << "    " << kind << "_temp_path " << dir << "/temp/" << kind << ";\n";
    config << "    types { text/html html; text/plain txt; application/octet-stream bin; }\n"
           << "    default_type application/octet-stream;\n"
           << "    server {\n"
           << "        listen 127.0.0.1:" << m_port << (m_options.tls ? " ssl" : "") << ";\n"
           << "        server_name localhost;\n"
           << "        root " << dir << "/www;\n";
    if (m_options.tls)
        config << "        ssl_certificate " << m_certificates.certificateFile << ";\n"
               << "        ssl_certificate_key " << m_certificates.keyFile << ";\n";
    if (m_options.gzip)
        config << "        gzip on;\n        gzip_types text/plain;\n"
               << "        gzip_min_length " << m_options.gzipMinLength << ";\n";
    if (m_options.gzipStatic)
        config << "        gzip_static on;\n";
    config << "    }\n}\n";
    return config.str();
}

bool Nginx::Start() {
    m_port = FreePort();
    if (m_port == 0)
        return false;
    m_directory.Write("www/.keep", "");
    m_directory.Write("temp/.keep", "");
    std::string configFile = m_directory.Write("nginx.conf", Config());
    m_process = std::make_unique<ChildProcess>(
        std::vector<std::string>{kNginx, "-p", m_directory.Path(), "-c", configFile, "-e",
                                 m_directory.File("error.log")},
        m_directory.File("stdout.log"));
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (m_process->IsRunning() && std::chrono::steady_clock::now() < deadline) {
        if (Answers(m_port))
            return true;
        std::this_thread::sleep_for(20ms);
    }
    m_process.reset();
    return false;
}

std::string Nginx::Url(std::string_view path) const {
    return (m_options.tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port) +
           std::string(path);
}

std::string Nginx::WriteFile(std::string_view relativePath, std::string_view bytes) const {
    return m_directory.Write("www/" + std::string(relativePath), bytes);
}

std::string Nginx::Log() const {
    return ReadFile(m_directory.File("error.log")) + ReadFile(m_directory.File("stdout.log")) +
           ReadFile(m_directory.File("openssl.log"));
}

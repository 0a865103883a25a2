// The configuration of an nginx that serves precompressed files, its start on a free port
// and the wait until it answers.
#include "GzipStaticNginx.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

// A port nobody listens on now; another program may take it first, and Start tries again.
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

GzipStaticNginx::GzipStaticNginx() {
    for (int attempt = 0; attempt < 3 && !m_running; ++attempt)
        m_running = Start();
}

std::string GzipStaticNginx::Config() const {
    const std::string& dir = m_directory.Path();
    std::ostringstream config;
    config << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
           << "pid " << dir << "/nginx.pid;\n"
           << "error_log " << dir << "/error.log notice;\n";
    // As root nginx would look up the user "nobody" for its files; stay who we are.
    if (::geteuid() == 0)
        config << "user root root;\n";
    config << "events { worker_connections 16; }\n"
           << "http {\n"
           << "    access_log off;\n"
           << "    sendfile on;\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        config << "    " << kind << "_temp_path " << dir << "/temp/" << kind << ";\n";
    config << "    types { text/html html; }\n"
           << "    charset utf-8;\n"
           << "    gzip_static on;\n"
           << "    server {\n"
           << "        listen 127.0.0.1:" << m_port << ";\n"
           << "        root " << dir << "/www;\n"
           << "    }\n}\n";
    return config.str();
}

bool GzipStaticNginx::Start() {
    m_port = FreePort();
    if (m_port == 0)
        return false;
    m_directory.Write("www/.keep", "");
    m_directory.Write("temp/.keep", "");
    std::string configFile = m_directory.Write("nginx.conf", Config());
    m_process = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/sbin/nginx", "-p", m_directory.Path(), "-c", configFile,
                                 "-e", m_directory.File("error.log")},
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

std::string GzipStaticNginx::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

std::string GzipStaticNginx::WriteFile(std::string_view name, std::string_view bytes) const {
    return m_directory.Write("www/" + std::string(name), bytes);
}

std::string GzipStaticNginx::Log() const {
    return ReadFile(m_directory.File("error.log")) + ReadFile(m_directory.File("stdout.log"));
}

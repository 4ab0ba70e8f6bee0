#include "support/tls_test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/text.h"
#include "support/http_test_server.h"

namespace {
bool Accepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}
}  // namespace

SelfSignedTlsServer::SelfSignedTlsServer() {
    const std::string key = (dir_ / "key.pem").string();
    const std::string cert = (dir_ / "cert.pem").string();
    const std::string make =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
        " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
        key + "' -out '" + cert + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) return;
    // A port nothing listens on now; the server takes it at once.
    const std::string refused = Utf16ToUtf8(HttpTestServer::RefusedUrl(""));
    port_ = std::atoi(refused.substr(refused.rfind(':') + 1).c_str());
    const std::string accept = "127.0.0.1:" + std::to_string(port_);
    pid_ = fork();
    if (pid_ == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execlp("openssl", "openssl", "s_server", "-accept", accept.c_str(), "-cert", cert.c_str(),
               "-key", key.c_str(), "-www", "-quiet", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(ready_ = Accepts(port_)) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

SelfSignedTlsServer::~SelfSignedTlsServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

std::string SelfSignedTlsServer::Url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(port_) + path;
}

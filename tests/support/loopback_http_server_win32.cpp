#include "support/loopback_http_server_win32.h"

#include <ws2tcpip.h>

#include "base/text.h"

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
        listen(listener_, 16) == 0)
        port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    closesocket(listener_);  // ends the blocking accept
    acceptor_.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(lock_);
        connections.swap(connections_);
    }
    for (auto& t : connections) t.join();
    WSACleanup();
}

std::u16string LoopbackHttpServer::BaseUrl() const {
    return u"http://127.0.0.1:" + DecimalText(port_);
}

std::vector<std::string> LoopbackHttpServer::Targets() const {
    std::lock_guard<std::mutex> lock(lock_);
    return targets_;
}

void LoopbackHttpServer::Accept() {
    while (!stopping_) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        std::lock_guard<std::mutex> lock(lock_);
        connections_.emplace_back([this, client] { Serve(client); });
    }
}

void LoopbackHttpServer::Serve(SOCKET client) {
    std::string request;
    char buf[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
        int n = recv(client, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, static_cast<std::size_t>(n));
    }
    // "GET <target> HTTP/1.1"
    std::size_t from = request.find(' ');
    std::size_t to = from == std::string::npos ? from : request.find(' ', from + 1);
    if (to != std::string::npos) {
        std::string target = request.substr(from + 1, to - from - 1);
        {
            std::lock_guard<std::mutex> lock(lock_);
            targets_.push_back(target);
        }
        LoopbackReply reply = handler_(target);
        std::string answer = "HTTP/1.1 " + std::to_string(reply.status) +
                             " Reply\r\nContent-Type: text/xml\r\nContent-Length: " +
                             std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" +
                             reply.body;
        send(client, answer.data(), static_cast<int>(answer.size()), 0);
    }
    shutdown(client, SD_SEND);
    closesocket(client);
}

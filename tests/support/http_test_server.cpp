#include "support/http_test_server.h"

#include <chrono>

#include "base/text.h"

HttpTestServer::HttpTestServer() {
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard<std::mutex> lock(lock_);
        log_.push_back(req);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() is ignored until the accept loop runs, so wait for it here.
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpTestServer::~HttpTestServer() {
    {
        std::lock_guard<std::mutex> lock(lock_);
        stopping_ = true;
    }
    gateChanged_.notify_all();
    server_.stop();
    thread_.join();
}

std::u16string HttpTestServer::BaseUrl() const {
    return AsciiToUtf16("http://127.0.0.1:" + std::to_string(port_));
}

std::u16string HttpTestServer::Url(const std::string& path) const {
    return BaseUrl() + AsciiToUtf16(path);
}

std::u16string HttpTestServer::RefusedUrl(const std::string& path) {
    // Bind a free port, then close it: nothing listens there afterwards.
    httplib::Server probe;
    int port = probe.bind_to_any_port("127.0.0.1");
    std::thread listener([&probe] { probe.listen_after_bind(); });
    while (!probe.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    probe.stop();
    listener.join();
    return AsciiToUtf16("http://127.0.0.1:" + std::to_string(port) + path);
}

void HttpTestServer::Handle(const std::string& path, Handler handler) {
    server_.Get(path, std::move(handler));
}

void HttpTestServer::Serve(const std::string& path, std::string body, std::string contentType) {
    Handle(path, [body = std::move(body), contentType = std::move(contentType)](
                     const httplib::Request&, httplib::Response& res) {
        res.set_content(body, contentType.c_str());
    });
}

void HttpTestServer::Status(const std::string& path, int status, std::string body) {
    Handle(path, [status, body = std::move(body)](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        res.set_content(body, "text/plain");
    });
}

void HttpTestServer::ActAsProxy() {
    Handle(".*", [](const httplib::Request& req, httplib::Response& res) {
        std::size_t path = req.target.find('/', std::string("http://").size());
        auto answer = httplib::Client(req.target.substr(0, path)).Get(req.target.substr(path));
        res.status = answer ? answer->status : 502;
        if (answer) res.set_content(answer->body, "application/octet-stream");
    });
}

void HttpTestServer::Redirect(const std::string& path, const std::string& target) {
    Handle(path,
           [target](const httplib::Request&, httplib::Response& res) { res.set_redirect(target); });
}

bool HttpTestServer::WaitForGate() {
    std::unique_lock<std::mutex> lock(lock_);
    gateChanged_.wait(lock, [this] { return gateOpen_ || stopping_; });
    return !stopping_;
}

void HttpTestServer::OpenGate() {
    {
        std::lock_guard<std::mutex> lock(lock_);
        gateOpen_ = true;
    }
    gateChanged_.notify_all();
}

void HttpTestServer::Hang(const std::string& path, std::string body) {
    Handle(path, [this, body = std::move(body)](const httplib::Request&, httplib::Response& res) {
        if (WaitForGate()) res.set_content(body, "application/octet-stream");
    });
}

void HttpTestServer::Silence(const std::string& path, uint64_t length) {
    Handle(path, [this, length](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(length, "application/octet-stream",
                                 [this](size_t, size_t, httplib::DataSink&) {
                                     WaitForGate();
                                     return false;  // drop the connection
                                 });
    });
}

void HttpTestServer::Staged(const std::string& path, std::string first, std::string rest) {
    Handle(path, [this, first, rest](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(
            first.size() + rest.size(), "application/octet-stream",
            [this, first, rest](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0 && !first.empty()) return sink.write(first.data(), first.size());
                if (!WaitForGate()) return false;
                return sink.write(rest.data(), rest.size());
            });
    });
}

void HttpTestServer::Trickle(const std::string& path, int bytesPerSecond, uint64_t length) {
    Handle(path, [this, bytesPerSecond, length](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(
            length, "application/octet-stream",
            [this, bytesPerSecond](size_t, size_t, httplib::DataSink& sink) {
                // One byte per step keeps the rate even within the second.
                std::this_thread::sleep_for(std::chrono::milliseconds(1000 / bytesPerSecond));
                return !stopping_ && sink.write("t", 1);
            });
    });
}

void HttpTestServer::Stream(const std::string& path, uint64_t length) {
    Handle(path, [this, length](const httplib::Request&, httplib::Response& res) {
        static const std::string block(64 * 1024, 'x');
        if (length == 0) {
            res.set_chunked_content_provider(
                "application/octet-stream", [this](size_t, httplib::DataSink& sink) {
                    return !stopping_ && sink.write(block.data(), block.size());
                });
            return;
        }
        res.set_content_provider(length, "application/octet-stream",
                                 [this](size_t, size_t left, httplib::DataSink& sink) {
                                     size_t n = left < block.size() ? left : block.size();
                                     return !stopping_ && sink.write(block.data(), n);
                                 });
    });
}

int HttpTestServer::RequestCount(const std::string& path) const {
    std::lock_guard<std::mutex> lock(lock_);
    int n = 0;
    for (const auto& r : log_)
        if (r.path == path) ++n;
    return n;
}

std::vector<httplib::Request> HttpTestServer::Requests() const {
    std::lock_guard<std::mutex> lock(lock_);
    return log_;
}

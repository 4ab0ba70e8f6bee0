// A small HTTP server on 127.0.0.1 for the Win32 tests under Wine, which
// cannot link the Linux tests' server: one request per connection, answered
// by the test's handler from the request target (path and query).
//
// Threads: each connection is served on a thread of its own, so a handler
// may block (the test must release it before the server ends). The log of
// targets is guarded by the server's mutex.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct LoopbackReply {
    int status = 200;
    std::string body;
};

class LoopbackHttpServer {
  public:
    using Handler = std::function<LoopbackReply(const std::string& target)>;

    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // "http://127.0.0.1:<port>", ready for SetSiteOverride.
    std::u16string BaseUrl() const;
    // The request targets seen so far, in arrival order.
    std::vector<std::string> Targets() const;

  private:
    void Accept();
    void Serve(SOCKET client);

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    mutable std::mutex lock_;
    std::vector<std::thread> connections_;  // lock_
    std::vector<std::string> targets_;      // lock_
};

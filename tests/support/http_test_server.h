// A real HTTP server on 127.0.0.1 for tests, on a free port, with per-path
// handlers and the faults a download must survive: a status other than 200,
// an empty body, headers then silence, a trickle, a huge or endless body, a
// redirect, and (RefusedUrl) a port where nothing listens.
//
// Threads: handlers run on the server's own threads. The request log and the
// gate are guarded by the server's mutex; stalled handlers end when the gate
// opens or the server stops, so the destructor never hangs.
#pragma once

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HttpTestServer {
  public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>", ready for SetSiteOverride.
    std::u16string BaseUrl() const;
    std::u16string Url(const std::string& path) const;
    // A URL on a loopback port that refuses connections.
    static std::u16string RefusedUrl(const std::string& path = "/");

    // Any handler of our own for GET `path` (a pattern, as httplib takes it).
    void Handle(const std::string& path, Handler handler);
    // Status 200 with `body` (an empty body is allowed).
    void Serve(const std::string& path, std::string body,
               std::string contentType = "application/octet-stream");
    // Any status with a body.
    void Status(const std::string& path, int status, std::string body = "not here");
    // 302 to `target` (a path on this server or an absolute URL).
    void Redirect(const std::string& path, const std::string& target);
    // Sends nothing at all, not even headers, until the gate opens; then 200 with `body`.
    void Hang(const std::string& path, std::string body = "late");
    // Sends the headers of a `length`-byte body, then nothing until the gate opens.
    void Silence(const std::string& path, uint64_t length = 1000);
    // Sends `first`, waits for the gate, then sends `rest` and ends the body.
    void Staged(const std::string& path, std::string first, std::string rest);
    // `bytesPerSecond` bytes of a `length`-byte body each second.
    void Trickle(const std::string& path, int bytesPerSecond, uint64_t length);
    // A body of `length` bytes sent as fast as possible; 0 means endless.
    void Stream(const std::string& path, uint64_t length);

    // A forward proxy: each absolute-form request ("GET http://host:port/path")
    // is asked of its origin and answered with the origin's status and body;
    // Requests() keeps each target.
    void ActAsProxy();

    // Releases the handlers waiting in Hang, Silence or Staged.
    void OpenGate();

    // Requests seen so far, by path (without query).
    int RequestCount(const std::string& path) const;
    std::vector<httplib::Request> Requests() const;

  private:
    bool WaitForGate();  // false when the server is stopping

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex lock_;
    std::condition_variable gateChanged_;
    bool gateOpen_ = false;  // lock_
    std::atomic<bool> stopping_{false};
    std::vector<httplib::Request> log_;  // lock_
};

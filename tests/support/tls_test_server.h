// An HTTPS server on 127.0.0.1 whose certificate is self-signed, so that a
// client that checks certificates must refuse it: "openssl s_server -www"
// in a process of its own, with a key and certificate made for the test.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/temp_dir.h"

class SelfSignedTlsServer {
  public:
    // Makes the certificate, starts the server and waits until it accepts
    // connections (at most a few seconds).
    SelfSignedTlsServer();
    ~SelfSignedTlsServer();
    SelfSignedTlsServer(const SelfSignedTlsServer&) = delete;
    SelfSignedTlsServer& operator=(const SelfSignedTlsServer&) = delete;

    bool running() const { return ready_; }
    // "https://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path) const;

  private:
    TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
    bool ready_ = false;
};

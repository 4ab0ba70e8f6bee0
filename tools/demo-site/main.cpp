// The demo site: one local HTTP server that stands in for every outside
// service of the saver (photo site, image server, update service, weather
// service, maker's home page, Wikimedia Commons' API and media servers,
// and Open-Meteo's forecast and place search), on the paths the saver requests. Run the
// saver with --site http://127.0.0.1:PORT to use it.
//
// Signals: SIGTERM and SIGINT are blocked in every thread and taken by one
// waiting thread, which stops the server; nothing runs in signal context.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "commons_api.h"
#include "gallery_pages.h"
#include "open_meteo_api.h"
#include "photo_cache.h"
#include "photo_painter.h"
#include "weather_feed.h"

namespace {

struct Options {
    int port = 0;  // 0: any free port
    std::string appVersion = "1.1";
    size_t cacheBytes = size_t(256) << 20;
};

void PrintUsage(FILE* to) {
    std::fprintf(to,
                 "usage: skyreel-demo-site [--port N] [--appver VERSION] [--cache-kb N]\n"
                 "  --port N          listen on 127.0.0.1:N (default: a free port)\n"
                 "  --appver VERSION  version named by the update reply (default 1.1)\n"
                 "  --cache-kb N      memory kept for painted photos, in KiB (default 262144)\n");
}

// Whole decimal number in [lo, hi], or -1.
long ParseBounded(const char* text, long lo, long hi) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < lo || v > hi) return -1;
    return v;
}

// False (after printing why) when the command line cannot be used.
bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "unknown option or missing value: %s\n", arg.c_str());
            return false;
        }
        const char* value = argv[++i];
        if (arg == "--port") {
            o.port = int(ParseBounded(value, 0, 65535));
            if (o.port < 0) return std::fprintf(stderr, "bad port: %s\n", value), false;
        } else if (arg == "--appver") {
            if (!IsPlainVersion(value))
                return std::fprintf(stderr, "bad version: %s\n", value), false;
            o.appVersion = value;
        } else if (arg == "--cache-kb") {
            long kb = ParseBounded(value, 1, 64L << 20);
            if (kb < 0) return std::fprintf(stderr, "bad cache size: %s\n", value), false;
            o.cacheBytes = size_t(kb) << 10;
        } else {
            std::fprintf(stderr, "unknown option: %s\n", arg.c_str());
            return false;
        }
    }
    return true;
}

int64_t UtcSecondsNow() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

// A painted photo, or 500 when painting failed. The shared bytes stay alive
// until the provider has sent them.
void ServeJpeg(httplib::Response& res, std::shared_ptr<const std::string> jpeg) {
    if (jpeg->empty()) {
        res.status = 500;
        return;
    }
    res.set_content_provider(jpeg->size(), "image/jpeg",
                             [jpeg](size_t offset, size_t length, httplib::DataSink& sink) {
                                 return sink.write(jpeg->data() + offset, length);
                             });
}

void Routes(httplib::Server& server, const Options& options, PhotoCache& cache, const int& port) {
    server.Get("/search/photo.search", [&port](const httplib::Request& req,
                                               httplib::Response& res) {
        int gallery =
            GalleryForQuery(req.get_param_value("viewsperday"), req.get_param_value("daterange"));
        if (gallery < 0) {
            res.status = 404;
            return;
        }
        res.set_content(GalleryPageHtml(gallery, HostForLinks(req.get_header_value("Host"), port)),
                        "text/html; charset=utf-8");
    });

    server.Get(R"(/aviation-photos/(photos|small)/(.+))",
               [&cache](const httplib::Request& req, httplib::Response& res) {
                   bool small = req.matches[1] == "small";
                   std::string tail = req.matches[2];
                   if (!IsSafeTail(tail)) {
                       res.status = 404;
                       return;
                   }
                   ServeJpeg(res, cache.Get((small ? "s/" : "p/") + tail,
                                            [&] { return PaintPhotoJpeg(tail, small); }));
               });

    server.Get("/w/api.php", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(
            CommonsApiReply(req.get_param_value("gcmtitle"), req.get_param_value("gcmcontinue"),
                            req.get_param_value("formatversion") == "2",
                            req.get_param_value("iiurlwidth")),
            "application/json; charset=utf-8");
    });
    server.Get(R"(/wikipedia/commons/thumb/.+)", [&cache](const httplib::Request& req,
                                                          httplib::Response& res) {
        const std::string name = CommonsThumbName(req.path);
        if (name.empty()) {
            res.status = 404;
            return;
        }
        ServeJpeg(res, cache.Get("c/" + name, [&] { return PaintPhotoJpeg(name, false); }));
    });

    server.Get("/screensavers/update.php",
               [&options](const httplib::Request&, httplib::Response& res) {
                   res.set_content(UpdateReplyXml(options.appVersion), "text/xml");
               });
    server.Get("/screensavers", [&options](const httplib::Request&, httplib::Response& res) {
        res.set_content(HomePageHtml(options.appVersion), "text/html; charset=utf-8");
    });

    server.Get(R"(/weather/local/([^/]+))",
               [](const httplib::Request& req, httplib::Response& res) {
                   std::string feed = WeatherFeedXml(req.matches[1].str(), UtcSecondsNow());
                   if (feed.empty()) {
                       res.status = 404;
                       return;
                   }
                   res.set_content(feed, "text/xml; charset=ISO-8859-1");
               });
    server.Get("/v1/forecast", [](const httplib::Request& req, httplib::Response& res) {
        int status = 200;
        std::string reply = OpenMeteoForecastReply(
            req.get_param_value("latitude"), req.get_param_value("longitude"),
            req.get_param_value("temperature_unit") == "fahrenheit", UtcSecondsNow(), status);
        res.status = status;
        res.set_content(reply, "application/json; charset=utf-8");
    });
    server.Get("/v1/search", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(OpenMeteoSearchReply(req.get_param_value("name")),
                        "application/json; charset=utf-8");
    });
    server.Get("/search/search", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(LocationSearchXml(req.get_param_value("where")),
                        "text/xml; charset=ISO-8859-1");
    });
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        PrintUsage(stderr);
        return 2;
    }

    // Blocked before any thread starts, so every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httplib::Server server;
    // Address reuse only: the library's default also sets SO_REUSEPORT, which
    // would let a second site share a port in use instead of failing.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Stopping waits for idle kept-alive connections; a short wait keeps a
    // signal's stop quick (the library's default is five seconds).
    server.set_keep_alive_timeout(1);
    PhotoCache cache(options.cacheBytes);
    // Written once here before the server starts; read-only afterwards.
    int port = 0;
    Routes(server, options, cache, port);

    if (options.port == 0) {
        port = server.bind_to_any_port("127.0.0.1");
    } else if (server.bind_to_port("127.0.0.1", options.port)) {
        port = options.port;
    }
    if (port <= 0) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }

    // Set by the main thread once listening has ended; read by the stopper.
    std::atomic<bool> listenEnded{false};
    std::thread stopper([&server, &stopSignals, &listenEnded] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        // A stop before the server runs would be ignored and the signal lost:
        // wait until it runs (or has given up).
        while (!server.is_running() && !listenEnded)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        server.stop();
    });

    // The socket is bound and listening: connections queue from here on.
    std::printf("listening on http://127.0.0.1:%d\n", port);
    std::fflush(stdout);
    bool served = server.listen_after_bind();
    listenEnded = true;
    if (!served) {
        // The stopper still waits; wake it so it can be joined.
        pthread_kill(stopper.native_handle(), SIGTERM);
    }
    stopper.join();
    return served ? 0 : 1;
}

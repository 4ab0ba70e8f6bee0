// Random bytes, file times and the system version on Linux.
//
// Implemented / Missing (base/platform.h, system, on Linux):
//   [x] NewGuidBytes (getrandom)  [x] FileLastWriteTime, SetFileLastWriteTime
//   [x] OsVersionText (uname release)  [x] SyncFileToDisk (fsync)
//   [x] IsLinkOrJunction (lstat)
//   [x] ReturnFreedBuffersToSystem (glibc's mmap threshold; other C
//       libraries keep their own rule)
#include <fcntl.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/platform.h"

bool NewGuidBytes(uint8_t (&out)[16]) {
    uint8_t* p = out;
    std::size_t n = sizeof out;
    while (n > 0) {
        ssize_t got = getrandom(p, n, 0);
        if (got <= 0) return false;
        p += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

bool IsLinkOrJunction(const std::filesystem::path& p) {
    struct stat st {};
    return lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool FileLastWriteTime(const std::filesystem::path& p, int64_t& fileTime) {
    struct stat st {};
    if (stat(p.c_str(), &st) != 0) return false;
    fileTime = kFileTimeUnixEpoch + int64_t{st.st_mtim.tv_sec} * kFileTimeTicksPerSecond +
               st.st_mtim.tv_nsec / 100;
    return true;
}

bool SetFileLastWriteTime(const std::filesystem::path& p, int64_t fileTime) {
    int64_t rel = fileTime - kFileTimeUnixEpoch;
    int64_t sec = rel / kFileTimeTicksPerSecond;
    int64_t rem = rel % kFileTimeTicksPerSecond;
    if (rem < 0) {
        rem += kFileTimeTicksPerSecond;
        --sec;
    }
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(sec);
    times[1].tv_nsec = static_cast<long>(rem * 100);
    return utimensat(AT_FDCWD, p.c_str(), times, 0) == 0;
}

bool SyncFileToDisk(const std::filesystem::path& p) {
    int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

// The first four numbers of the kernel release ("6.1.0-18-amd64" gives
// 6.1.0.18), missing ones as 0.
std::u16string OsVersionText() {
    struct utsname u {};
    if (uname(&u) != 0) return u"Unknown";
    uint32_t n[4] = {0, 0, 0, 0};
    const char* s = u.release;
    int found = 0;
    while (*s && found < 4) {
        if (*s >= '0' && *s <= '9') {
            uint32_t v = 0;
            while (*s >= '0' && *s <= '9') {
                if (v < 100000000) v = v * 10 + static_cast<uint32_t>(*s - '0');
                ++s;
            }
            n[found++] = v;
        } else {
            ++s;
        }
    }
    if (found == 0) return u"Unknown";
    return DottedOsVersion(n);
}

void ReturnFreedBuffersToSystem() {
#if defined(__GLIBC__)
    // A fixed threshold: glibc otherwise raises it to the size of each
    // large block freed, after which such blocks stay in the heap for good.
    constexpr int kLargeBlock = 1 << 20;
    mallopt(M_MMAP_THRESHOLD, kLargeBlock);
#endif
}

bool SystemUsesUsUnits() {
    // The first of these that is set names the measurement locale, as the C
    // library picks it: "en_US.UTF-8", "es_US", "C", ...
    const char* name = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MEASUREMENT", "LANG"}) {
        name = std::getenv(variable);
        if (name && *name) break;
    }
    if (!name || !*name) return false;
    std::string_view locale(name);
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string_view::npos) return false;
    std::string_view territory = locale.substr(underscore + 1, 2);
    // The territories whose locales measure in US units.
    for (std::string_view us : {"US", "LR", "MM"})
        if (territory == us &&
            (locale.size() == underscore + 3 ||
             std::string_view(".@").find(locale[underscore + 3]) != std::string_view::npos))
            return true;
    return false;
}

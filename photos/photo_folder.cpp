// The walk of the user's photo folder.
//
// An explicit stack of folders, each read with one directory_iterator and
// std::error_code throughout, so nothing the folder holds can throw out of
// the walk or end it early: a folder that cannot be read (permission
// denied, gone mid-walk) is passed over and the walk goes on with the next.
// Links are never followed, neither to files nor to folders, so the walk
// cannot leave the folder or loop; the depth and entry bounds hold
// whatever the file system does. Only names and the kinds the listing
// gives are looked at (where the listing cannot tell a link, each folder
// and photo is asked once more); no file is opened or sized here, which
// keeps the walk close to a bare listing.
//
// The walk thread hands photos to the PhotoList in batches under
// PhotoListLock: the first one alone, so the show can begin at once, then
// growing batches, so a large folder takes the lock a few hundred times.
#include "photos/photo_folder.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/text.h"
#include "photos/photo_list.h"

namespace {
namespace fs = std::filesystem;

constexpr std::size_t kMaxBatch = 512;

// Written once at start-up, before any other thread; read-only afterwards.
PathText g_folder;
// Walk threads still running, and the tick count when the last one ended.
std::atomic<int> g_walksRunning{0};
std::atomic<uint32_t> g_lastWalkEnded{0};

// ".jpg" and ".jpeg", any case, told from the native name before any
// conversion.
bool IsPhotoName(const fs::path& p) {
    using View = std::basic_string_view<fs::path::value_type>;
    const View name(p.native());
    return EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg");
}

// A link the listing did not tell apart (MinGW's lists links as their
// targets); where the listing does, it was passed over already.
bool HiddenLink(const fs::path& p) {
    return !kListingShowsLinks && IsLinkOrJunction(p);
}

// The last name of the data folder as the walk would meet it. The walk
// follows no link, so it can only reach the data folder under that name:
// only folders so named need the full check (LiesInDataFolder), which
// resolves both paths on the disk.
std::u16string DataFolderName() {
    std::error_code ec;
    fs::path data = fs::weakly_canonical(ToPath(DataFolder.view()), ec);
    if (!data.has_filename()) data = data.parent_path();  // a trailing separator
    return FromPath(data.filename()).value_or(u"");
}

// Whether the walk goes into folder `p`: not when its name is no valid text
// (nothing below it could be named), nor into the data folder, whose
// photos are the saver's, not the user's.
bool Enterable(const fs::path& p, std::u16string_view dataName) {
    const std::optional<std::u16string> name = FromPath(p.filename());
    if (!name) return false;
    if (!EqualsNoCase(*name, dataName)) return true;
    const std::optional<std::u16string> path = FromPath(p);
    return path && !LiesInDataFolder(*path);
}

struct PendingFolder {
    fs::path path;
    int depth = 0;
};

// Appends the batch to the list the walk was started for; false when that
// list is gone (a rescan replaced it, the window closed): the walk ends.
bool AppendBatch(std::vector<PhotoEntry*>& batch, uint32_t serial) {
    bool listed = false;
    {
        std::lock_guard<std::mutex> lock(PhotoListLock);
        listed = PhotoList && PhotoList->Serial == serial;
        for (PhotoEntry* e : batch) {
            if (listed) {
                AppendPhoto(e);
            } else {
                delete e;
            }
        }
    }
    batch.clear();
    return listed;
}

PhotoEntry* MakeFolderEntry(const PathText& path) {
    auto* e = new PhotoEntry;
    e->Path = path;
    const std::u16string_view text = path.view();
    const std::size_t slash = text.find_last_of(kPathSeparators);
    e->Data.name = text.substr(slash == std::u16string_view::npos ? 0 : slash + 1);
    return e;
}

void WalkThread(uint32_t serial) {
    std::vector<PhotoEntry*> batch;
    std::size_t appended = 0;
    bool listed = true;
    const FolderWalkCounts counts =
        WalkPhotoFolder(ToPath(g_folder.view()), [&](const PathText& p) {
            batch.push_back(MakeFolderEntry(p));
            // Each batch as large as all before it: the first photo alone.
            if (batch.size() > appended || batch.size() >= kMaxBatch) {
                appended += batch.size();
                listed = AppendBatch(batch, serial);
            }
            return listed;
        });
    if (listed) AppendBatch(batch, serial);
    for (PhotoEntry* e : batch) delete e;
    LogEvent("photo folder walk: " + std::to_string(counts.photos) + " photos in " +
             std::to_string(counts.entries) + " entries");
    g_lastWalkEnded = TickCount();
    --g_walksRunning;
}
}  // namespace

void UsePhotoFolder(std::u16string_view folder) {
    g_folder.Assign(folder);
}

bool PhotoFolderInUse() {
    return !g_folder.empty();
}

FolderWalkCounts WalkPhotoFolder(const fs::path& root, const FolderVisitor& visit) {
    FolderWalkCounts counts;
    const std::u16string dataName = DataFolderName();
    std::vector<PendingFolder> pending{{root, 0}};
    while (!pending.empty()) {
        const PendingFolder folder = std::move(pending.back());
        pending.pop_back();
        std::error_code ec;
        for (fs::directory_iterator
                 it(folder.path, fs::directory_options::skip_permission_denied, ec),
             end;
             !ec && it != end; it.increment(ec)) {
            if (StopRequested.load() || ++counts.entries > kFolderWalkEntries) return counts;
            const fs::path& p = it->path();
            // The entry's own kind, as the listing gave it where it can: no
            // system call per file.
            std::error_code kind;
            if (it->is_symlink(kind) || kind) continue;
            if (it->is_directory(kind)) {
                if (folder.depth < kFolderWalkDepth && !HiddenLink(p) && Enterable(p, dataName))
                    pending.push_back({p, folder.depth + 1});
                continue;
            }
            if (kind || !it->is_regular_file(kind) || !IsPhotoName(p) || HiddenLink(p)) continue;
            // A name that is no valid text, or a path too long for the list,
            // could only name some other file: passed over.
            const std::optional<std::u16string> text = FromPath(p);
            PathText path;
            if (!text || !path.Assign(*text)) continue;
            ++counts.photos;
            if (!visit(path)) return counts;
        }
    }
    return counts;
}

bool StartFolderWalk() {
    uint32_t serial = 0;
    {
        std::lock_guard<std::mutex> lock(PhotoListLock);
        if (!PhotoList) return false;
        serial = PhotoList->Serial;
    }
    ++g_walksRunning;
    if (StartBackgroundThread([serial] { WalkThread(serial); })) return true;
    // Without a thread the periodic check tries again, as for an empty folder.
    g_lastWalkEnded = TickCount();
    --g_walksRunning;
    return false;
}

bool FolderWalkRunning() {
    return g_walksRunning.load() > 0;
}

void RewalkEmptyFolder() {
    if (!PhotoFolderInUse() || FolderWalkRunning() || PhotoCount() != 0) return;
    if (TickCount() - g_lastWalkEnded.load() < kEmptyFolderRewalkMillis) return;
    LogEvent("photo folder empty, walked again");
    StartFolderWalk();
}

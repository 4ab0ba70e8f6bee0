// The photo list keeps the shape the rest of the saver relies on: an array
// of entry pointers that grows by 1000, oldest photo first. Sorting is the
// guarded quicksort below; an adversarial order leaves deep ranges unsorted
// rather than exhausting the stack.
#include "photos/photo_list.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "base/event_log.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/text.h"

PhotoListRecord* PhotoList = nullptr;
std::mutex PhotoListLock;

namespace {
constexpr int32_t kInitialCapacity = 200;
constexpr int32_t kCapacityStep = 1000;
constexpr int kMaxSortDepth = 100;

int g_sortDepth = 0;        // main thread only, like every sort
uint32_t g_listSerial = 0;  // main thread only, like every new list

PhotoEntry* EntryAt(const PhotoListRecord* list, int32_t i) {
    return (i >= 0 && i < list->Count) ? list->Items[i] : nullptr;
}
}  // namespace

void StartNewPhotoList() {
    auto* fresh = new PhotoListRecord;
    fresh->Capacity = kInitialCapacity;
    fresh->Items = new PhotoEntry*[kInitialCapacity]();
    fresh->Serial = ++g_listSerial;
    std::lock_guard<std::mutex> lock(PhotoListLock);
    FreePhotoList(PhotoList);
    PhotoList = fresh;
}

PhotoEntry* MakePhotoEntry(const FindData& data) {
    auto* e = new PhotoEntry;
    e->Path = DataFolder;
    e->Path.Push(kPathSeparator);
    e->Path.Append(data.name);
    e->Data = data;
    return e;
}

void AppendPhoto(PhotoEntry* entry) {
    PhotoListRecord* list = PhotoList;
    if (!list) {
        delete entry;
        return;
    }
    if (list->Count >= list->Capacity) {
        int32_t capacity = list->Capacity + kCapacityStep;
        auto** items = new PhotoEntry*[capacity]();
        for (int32_t i = 0; i < list->Count; ++i) items[i] = list->Items[i];
        delete[] list->Items;
        list->Items = items;
        list->Capacity = capacity;
    }
    list->Items[list->Count++] = entry;
}

int ComparePhotoTimes(const PhotoEntry* a, const PhotoEntry* b) {
    if (!a || !b) return 0;
    int64_t d = a->Data.lastWriteTime - b->Data.lastWriteTime;
    return d > 0 ? 1 : d < 0 ? -1 : 0;
}

void SortPhotos(PhotoListRecord* list, int32_t first, int32_t last,
                int (*compare)(const PhotoEntry*, const PhotoEntry*)) {
    if (g_sortDepth > kMaxSortDepth) return;
    ++g_sortDepth;
    // Floor division, so the empty range 0..-1 takes index -1 (a null entry).
    int32_t mid = static_cast<int32_t>((int64_t{first} + last) >> 1);
    const PhotoEntry* pivot = EntryAt(list, mid);
    int32_t i = first, j = last;
    while (i <= j) {
        while (compare(EntryAt(list, i), pivot) < 0) ++i;
        while (compare(EntryAt(list, j), pivot) > 0) --j;
        if (i <= j) {
            if (i >= 0 && i < list->Count && j >= 0 && j < list->Count)
                std::swap(list->Items[i], list->Items[j]);
            ++i;
            --j;
        }
    }
    if (first < j) SortPhotos(list, first, j, compare);
    if (i < last) SortPhotos(list, i, last, compare);
    --g_sortDepth;
}

void FreePhotoList(PhotoListRecord* list) {
    if (!list) return;
    for (int32_t i = 0; i < list->Count; ++i) delete list->Items[i];
    delete[] list->Items;
    delete list;
}

void RemoveOldestPhoto() {
    std::lock_guard<std::mutex> lock(PhotoListLock);
    PhotoListRecord* list = PhotoList;
    if (!list || list->Count == 0) return;
    std::error_code ec;
    if (LiesInDataFolder(list->Items[0]->Path.view()))
        std::filesystem::remove(ToPath(list->Items[0]->Path.view()), ec);
    delete list->Items[0];
    for (int32_t i = 1; i < list->Count; ++i) list->Items[i - 1] = list->Items[i];
    list->Items[--list->Count] = nullptr;
}

int32_t PhotoCount() {
    std::lock_guard<std::mutex> lock(PhotoListLock);
    return PhotoList ? PhotoList->Count : 0;
}

bool PhotoPathAt(int32_t i, PathText& out) {
    std::lock_guard<std::mutex> lock(PhotoListLock);
    const PhotoEntry* e = PhotoList ? EntryAt(PhotoList, i) : nullptr;
    if (!e) return false;
    out = e->Path;
    return true;
}

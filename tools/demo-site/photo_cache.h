// A bounded memory cache of painted photos, shared by the server's worker
// threads. The least recently used photos leave first.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

class PhotoCache {
  public:
    explicit PhotoCache(size_t byteBudget) : budget_(byteBudget) {}

    // The JPEG for a key, painted by `paint` on a miss. Painting runs outside
    // the lock, so two threads may paint the same photo at once; both results
    // are identical and the second one simply replaces the first.
    template <typename Paint>
    std::shared_ptr<const std::string> Get(const std::string& key, Paint paint) {
        if (auto hit = Find(key)) return hit;
        auto bytes = std::make_shared<const std::string>(paint());
        if (!bytes->empty()) Store(key, bytes);
        return bytes;
    }

  private:
    using Photo = std::shared_ptr<const std::string>;
    struct Entry {
        std::string key;
        Photo bytes;
    };
    Photo Find(const std::string& key);
    void Store(const std::string& key, Photo bytes);

    const size_t budget_;
    // Owned by the cache; every member below is read and written only while
    // holding mutex_. Handed-out photos are shared_ptr copies, so evicting
    // one never frees bytes a response is still sending.
    std::mutex mutex_;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    size_t held_ = 0;
};

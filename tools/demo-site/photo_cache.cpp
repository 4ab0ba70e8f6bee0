#include "photo_cache.h"

PhotoCache::Photo PhotoCache::Find(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it->second);
    return it->second->bytes;
}

void PhotoCache::Store(const std::string& key, Photo bytes) {
    std::lock_guard lock(mutex_);
    if (bytes->size() > budget_) return;
    if (auto it = index_.find(key); it != index_.end()) {
        held_ -= it->second->bytes->size();
        order_.erase(it->second);
        index_.erase(it);
    }
    while (!order_.empty() && held_ + bytes->size() > budget_) {
        held_ -= order_.back().bytes->size();
        index_.erase(order_.back().key);
        order_.pop_back();
    }
    order_.push_front({key, bytes});
    index_[key] = order_.begin();
    held_ += bytes->size();
}

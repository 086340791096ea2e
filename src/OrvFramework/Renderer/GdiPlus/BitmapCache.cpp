#include "OrvFramework/Renderer/GdiPlus/BitmapCache.h"

namespace Orv {

std::size_t LBitmapCacheKeyHash::operator()(const LBitmapCacheKey& k) const noexcept {
    std::size_t h = std::hash<const void*>()(k.data);
    auto mix = [&h](std::uint64_t v) {
        h ^= std::hash<std::uint64_t>()(v) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    };
    mix(k.generation);
    mix((std::uint64_t(std::uint32_t(k.sourceX)) << 32) | std::uint32_t(k.sourceY));
    mix((std::uint64_t(std::uint32_t(k.sourceWidth)) << 32) | std::uint32_t(k.sourceHeight));
    mix((std::uint64_t(std::uint32_t(k.width)) << 32) | std::uint32_t(k.height));
    mix(std::uint64_t(k.resizeType));
    return h;
}

LBitmapCache::LBitmapCache(Platform::IClock& clock) : m_clock(clock), m_lastPurgeMs(clock.NowMs()) {}

Gdiplus::Bitmap* LBitmapCache::Find(const LBitmapCacheKey& key) {
    auto found = m_index.find(key);
    if (found == m_index.end()) return nullptr;
    auto it = found->second;
    it->stamp = ++m_useCounter;
    m_entries.splice(m_entries.begin(), m_entries, it);
    return it->bitmap.get();
}

Gdiplus::Bitmap* LBitmapCache::Insert(const LBitmapCacheKey& key, ConstRCPtr<LBitmapData> data,
                                      std::unique_ptr<Gdiplus::Bitmap> bitmap) {
    if (auto found = m_index.find(key); found != m_index.end()) Erase(found->second);
    while (m_entries.size() >= Capacity) Erase(std::prev(m_entries.end()));
    m_entries.push_front(Entry{key, std::move(data), std::move(bitmap), ++m_useCounter});
    m_index.emplace(key, m_entries.begin());
    return m_entries.front().bitmap.get();
}

void LBitmapCache::Erase(std::list<Entry>::iterator it) {
    m_index.erase(it->key);
    m_entries.erase(it);
}

bool LBitmapCache::PurgeIfDue() {
    const std::int64_t now = m_clock.NowMs();
    if (now - m_lastPurgeMs <= kPurgeIntervalMs) return false;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        auto next = std::next(it);
        if (it->stamp < m_counterAtLastPurge) Erase(it);
        it = next;
    }
    m_counterAtLastPurge = m_useCounter;
    m_lastPurgeMs = now;
    return true;
}

void LBitmapCache::Clear() {
    m_index.clear();
    m_entries.clear();
}

}  // namespace Orv

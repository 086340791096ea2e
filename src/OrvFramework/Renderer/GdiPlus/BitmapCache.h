#pragma once
// Pre-scaled copies of bitmaps as GDI+ bitmaps, so that a part drawn every frame is stretched or
// tiled once. At most 256 entries: when full, the least recently used one goes. At the end of a
// paint, when five minutes have passed since the last purge, entries unused since that purge are
// released.
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <unordered_map>

#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Renderer/GdiPlus/GdiPlus.h"
#include "OrvFramework/Utilities/Graphics/BitmapData.h"

namespace Orv {

struct LBitmapCacheKey {
    const LBitmapData* data = nullptr;
    std::uint64_t generation = 0;  // the pixels' version: a recoloured image is another key
    std::int32_t sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;
    std::int32_t width = 0, height = 0;
    int resizeType = 0;
    bool operator==(const LBitmapCacheKey&) const = default;
};

struct LBitmapCacheKeyHash {
    std::size_t operator()(const LBitmapCacheKey& k) const noexcept;
};

class LBitmapCache {
public:
    static constexpr std::size_t Capacity = 256;
    static constexpr std::int64_t kPurgeIntervalMs = 300000;

    explicit LBitmapCache(Platform::IClock& clock);
    LBitmapCache(const LBitmapCache&) = delete;
    LBitmapCache& operator=(const LBitmapCache&) = delete;

    // The cached bitmap, stamped as used now; null on a miss. It stays owned by the cache.
    Gdiplus::Bitmap* Find(const LBitmapCacheKey& key);
    // Keeps data alive while the entry lives.
    Gdiplus::Bitmap* Insert(const LBitmapCacheKey& key, ConstRCPtr<LBitmapData> data,
                            std::unique_ptr<Gdiplus::Bitmap> bitmap);
    bool Contains(const LBitmapCacheKey& key) const { return m_index.contains(key); }
    std::size_t GetCount() const { return m_entries.size(); }
    // Releases entries unused since the last purge when the interval has passed; true if it ran.
    bool PurgeIfDue();
    void Clear();

private:
    struct Entry {
        LBitmapCacheKey key;
        ConstRCPtr<LBitmapData> data;
        std::unique_ptr<Gdiplus::Bitmap> bitmap;
        std::uint64_t stamp = 0;
    };
    void Erase(std::list<Entry>::iterator it);

    Platform::IClock& m_clock;
    std::list<Entry> m_entries;  // most recently used first
    std::unordered_map<LBitmapCacheKey, std::list<Entry>::iterator, LBitmapCacheKeyHash> m_index;
    std::uint64_t m_useCounter = 0;
    std::uint64_t m_counterAtLastPurge = 0;
    std::int64_t m_lastPurgeMs = 0;
};

}  // namespace Orv

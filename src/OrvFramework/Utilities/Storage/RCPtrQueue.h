#pragma once
// A first-in, first-out ring of reference-counted pointers. It never drops or overwrites an entry and
// never refuses one: once it is full it grows by a single slot, inserted at the read position so that
// the order of the waiting entries is kept. An optional lock (shared between rings if the owner wants)
// guards every operation.
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/ObjectBase/TypeName.h"

namespace Orv {

template <class T, std::size_t N>
class RCPtrQueue {
public:
    explicit RCPtrQueue(std::recursive_mutex* lock = nullptr) : m_slots(N), m_lock(lock) {}
    RCPtrQueue(const RCPtrQueue&) = delete;
    RCPtrQueue& operator=(const RCPtrQueue&) = delete;

    void Enqueue(ConstRCPtr<T> item) {
        Guard guard(m_lock);
        if (m_slots.empty()) {
            m_slots.resize(2);
            m_read = m_write = 0;
        }
        if (CountUnlocked() == m_slots.size() - 1) {
            m_slots.insert(m_slots.begin() + static_cast<std::ptrdiff_t>(m_read), ConstRCPtr<T>());
            if (m_read < m_write) ++m_write;
            m_read = (m_read + 1) % m_slots.size();
        }
        m_slots[m_write] = std::move(item);
        m_write = (m_write + 1) % m_slots.size();
    }

    ConstRCPtr<T> Dequeue() {
        Guard guard(m_lock);
        if (CountUnlocked() == 0) {
            ThrowError(ErrorKind::Runtime, std::nullopt,
                       "Orv::RCPtrQueue<" + TypeName<T>() + "," + std::to_string(N) + ">::Dequeue", __FILE__, 106);
        }
        ConstRCPtr<T> item = std::move(m_slots[m_read]);
        m_read = (m_read + 1) % m_slots.size();
        return item;
    }

    std::size_t GetCount() const {
        Guard guard(m_lock);
        return CountUnlocked();
    }
    bool IsEmpty() const { return GetCount() == 0; }
    // Number of slots of the underlying array (one more than the entries it can hold before growing).
    std::size_t GetSlotCount() const {
        Guard guard(m_lock);
        return m_slots.size();
    }

    // Takes every waiting entry out, oldest first. The entries are released by the caller, outside
    // the lock, since releasing one may run arbitrary destructors.
    std::vector<ConstRCPtr<T>> TakeAll() {
        Guard guard(m_lock);
        std::vector<ConstRCPtr<T>> out;
        out.reserve(CountUnlocked());
        while (CountUnlocked() != 0) {
            out.push_back(std::move(m_slots[m_read]));
            m_read = (m_read + 1) % m_slots.size();
        }
        return out;
    }

private:
    struct Guard {
        explicit Guard(std::recursive_mutex* m) : m_m(m) {
            if (m_m) m_m->lock();
        }
        ~Guard() {
            if (m_m) m_m->unlock();
        }
        std::recursive_mutex* m_m;
    };

    std::size_t CountUnlocked() const {
        if (m_slots.empty()) return 0;
        return m_write >= m_read ? m_write - m_read : m_write + m_slots.size() - m_read;
    }

    std::vector<ConstRCPtr<T>> m_slots;
    std::size_t m_read = 0;
    std::size_t m_write = 0;
    std::recursive_mutex* m_lock;
};

}  // namespace Orv

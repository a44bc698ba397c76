#pragma once

#include <utility>

namespace oskel {

// Intrusive pointer to a reference-counted object (grab/drop).
template <class T>
class CRefPtr {
public:
    CRefPtr() = default;
    CRefPtr(std::nullptr_t) {}
    // Shares the object: grabs it.
    explicit CRefPtr(T* object) : m_ptr(object) {
        if (m_ptr) m_ptr->grab();
    }
    CRefPtr(const CRefPtr& other) : m_ptr(other.m_ptr) {
        if (m_ptr) m_ptr->grab();
    }
    template <class U>
    CRefPtr(const CRefPtr<U>& other) : m_ptr(other.get()) {
        if (m_ptr) m_ptr->grab();
    }
    CRefPtr(CRefPtr&& other) noexcept : m_ptr(other.m_ptr) { other.m_ptr = nullptr; }
    ~CRefPtr() {
        if (m_ptr) m_ptr->drop();
    }

    // Adopts a pointer without grabbing it: takes over the caller's reference.
    static CRefPtr fromRaw(T* object) {
        CRefPtr p;
        p.m_ptr = object;
        return p;
    }

    // Points to another object: nothing happens when it is the same one.
    void assign(T* object) {
        if (object == m_ptr) return;
        if (m_ptr) m_ptr->drop();
        m_ptr = object;
        if (m_ptr) m_ptr->grab();
    }

    CRefPtr& operator=(const CRefPtr& other) {
        assign(other.m_ptr);
        return *this;
    }
    CRefPtr& operator=(CRefPtr&& other) noexcept {
        if (this != &other) {
            T* old = m_ptr;
            m_ptr = other.m_ptr;
            other.m_ptr = nullptr;
            if (old) old->drop();
        }
        return *this;
    }
    CRefPtr& operator=(std::nullptr_t) {
        assign(nullptr);
        return *this;
    }

    // Gives up the pointer without dropping it.
    T* release() { return std::exchange(m_ptr, nullptr); }

    T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    T& operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    bool operator==(const CRefPtr& other) const { return m_ptr == other.m_ptr; }
    bool operator!=(const CRefPtr& other) const { return m_ptr != other.m_ptr; }
    bool operator==(const T* other) const { return m_ptr == other; }
    bool operator!=(const T* other) const { return m_ptr != other; }

private:
    T* m_ptr = nullptr;
};

// A new object held by the pointer: the pointer takes over its creation reference.
template <class T, class... Args>
CRefPtr<T> makeRef(Args&&... args) {
    return CRefPtr<T>::fromRaw(new T(std::forward<Args>(args)...));
}

}  // namespace oskel

#pragma once

// The engine's singleton rule.
//
// A singleton class derives from TSingleton<Class> (or TSingleton<Class, true> for a class that
// may be created again after its exit-time destruction, as the logger is) and is reached through
// Class::instance():
//  - The constructor records the new object as the instance and clears the destroyed mark; the
//    destructor clears the record and sets the mark. An object made directly therefore becomes
//    the instance. While one object is recorded, further objects of the class are independent
//    of the record (tests make such objects).
//  - When no object exists, instance() creates one with the default constructor under a lock of
//    the class and registers its destruction at program exit (reverse order of creation).
//  - Asking for the instance after its destruction throws std::logic_error("Dead Reference
//    Detected"), unless the class is re-creatable.
//
// Creation and exit-time destruction go through Loki's SingletonHolder with the engine's own
// threading, creation and lifetime policies.

#include <atomic>
#include <cstdlib>
#include <stdexcept>

#include <loki/Singleton.h>

#include "engine/core/CMutex.h"

namespace oskel {

// Loki threading policy: one recursive lock per host class, created on first use and kept
// until exit.
template <class Host, class MutexPolicy = CMutex>
class ClassLevelRecursiveLockable {
public:
    class Lock {
    public:
        Lock() { mutex().lock(); }
        explicit Lock(const ClassLevelRecursiveLockable&) { mutex().lock(); }
        explicit Lock(const ClassLevelRecursiveLockable*) { mutex().lock(); }
        ~Lock() { mutex().unlock(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
    };

    typedef volatile Host VolatileType;
    typedef int IntType;

    static MutexPolicy& mutex() {
        static MutexPolicy* classMutex = new MutexPolicy;  // kept until exit on purpose
        return *classMutex;
    }
};

namespace detail {

// Creation policy: the default constructor records the object itself. Destruction at exit
// destroys the object only while it is still the recorded instance (it may have been released
// by its owner before).
template <class T>
struct CreateRecorded {
    static T* Create() { return new T; }
    static void Destroy(T* p) {
        if (p && T::recordedInstance() == p) delete p;
    }
};

template <class T>
struct DeadReferenceThrows {
    static void ScheduleDestruction(T*, Loki::atexit_pfn_t pFun) { std::atexit(pFun); }
    static void OnDeadReference() { throw std::logic_error("Dead Reference Detected"); }
};

template <class T>
struct CreateAgainAfterDeath {
    static void ScheduleDestruction(T*, Loki::atexit_pfn_t pFun) { std::atexit(pFun); }
    static void OnDeadReference() {}
};

}  // namespace detail

template <class T, bool CreateAgain = false>
class TSingleton {
public:
    static T& instance() {
        if (TSingleton* p = s_instance.load(std::memory_order_acquire))
            return *static_cast<T*>(p);
        if (s_destroyed.load(std::memory_order_acquire) && !CreateAgain)
            throw std::logic_error("Dead Reference Detected");
        return Holder::Instance();
    }

    // The recorded instance, or none.
    static T* recordedInstance() {
        return static_cast<T*>(s_instance.load(std::memory_order_acquire));
    }
    static bool isDestroyed() { return s_destroyed.load(std::memory_order_acquire); }

protected:
    // A second object made while one is recorded stays an independent object.
    TSingleton() {
        // Recorded as the base: the class itself is not constructed yet.
        TSingleton* none = nullptr;
        if (s_instance.compare_exchange_strong(none, this,
                                               std::memory_order_acq_rel))
            s_destroyed.store(false, std::memory_order_release);
    }
    ~TSingleton() {
        TSingleton* self = this;
        if (s_instance.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel))
            s_destroyed.store(true, std::memory_order_release);
    }
    TSingleton(const TSingleton&) = delete;
    TSingleton& operator=(const TSingleton&) = delete;

private:
    template <class U>
    using Lifetime = typename std::conditional<CreateAgain, detail::CreateAgainAfterDeath<U>,
                                               detail::DeadReferenceThrows<U>>::type;
    using Holder = Loki::SingletonHolder<T, detail::CreateRecorded, Lifetime,
                                         ClassLevelRecursiveLockable, CMutex>;

    static inline std::atomic<TSingleton*> s_instance{nullptr};
    static inline std::atomic<bool> s_destroyed{false};
};

}  // namespace oskel

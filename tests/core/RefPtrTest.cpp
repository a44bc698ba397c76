#include <gtest/gtest.h>

#include "engine/core/CMutex.h"
#include "engine/core/CRefPtr.h"

using namespace oskel;

namespace {

struct Counted : IReferenceCounted {
    explicit Counted(int* deaths) : deaths(deaths) {}
    ~Counted() override { ++*deaths; }
    int* deaths;
};

}  // namespace

TEST(RefPtr, AdoptCopyAssignAndRelease) {
    int deaths = 0;
    auto* a = new Counted(&deaths);
    {
        CRefPtr<Counted> owner = CRefPtr<Counted>::fromRaw(a);  // takes over the first reference
        EXPECT_EQ(a->getReferenceCount(), 1);
        {
            CRefPtr<Counted> copy = owner;
            EXPECT_EQ(a->getReferenceCount(), 2);
            copy.assign(a);  // the same object: nothing changes
            EXPECT_EQ(a->getReferenceCount(), 2);
            auto* b = new Counted(&deaths);
            copy.assign(b);  // drops a, grabs b
            EXPECT_EQ(a->getReferenceCount(), 1);
            EXPECT_EQ(b->getReferenceCount(), 2);
            b->drop();
        }
        EXPECT_EQ(deaths, 1);  // b went with the copy
        CRefPtr<Counted> moved = std::move(owner);
        EXPECT_FALSE(owner);
        EXPECT_EQ(a->getReferenceCount(), 1);
    }
    EXPECT_EQ(deaths, 2);
}

TEST(Mutex, LocksRecursively) {
    CMutex* m = new CMutex;
    EXPECT_EQ(m->getReferenceCount(), 1);
    m->lock();
    m->lock();
    m->unlock();
    m->unlock();
    { CMutexLock guard(*m); }
    m->drop();
}

// A running particle step allocates nothing: the program's operator new counts its calls, and
// steps of running weather and hint nodes, once their mesh has grown to the live count, make
// none. (A program of its own: the counting operator new serves every test in it.)

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/core/CRandom.h"
#include "engine/scene/BaseNode.h"
#include "game/world/GHOHintParticlesNode.h"
#include "game/world/GWeatherParticlesNode.h"
#include "tests/nodes/NodeContent.h"

namespace {
std::atomic<unsigned long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size, std::align_val_t align) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return operator new(size, align);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace oskel;
using namespace oskel::test;
using namespace brasquel;

namespace {

constexpr u32 kStep = GMeshParticlesNode::UpdatePeriodMs;

// Steps the node until its live count and mesh have settled, then counts the allocations of
// `steps` further steps.
unsigned long allocationsOfRunningSteps(GMeshParticlesNode& node, u32 steps) {
    DrawList list;
    node.render(list);  // the head start
    for (u32 i = 0; i < 200; ++i) EXPECT_TRUE(node.update(kStep));
    EXPECT_GT(node.getLiveCount(), 0u);
    const unsigned long before = g_allocations.load();
    for (u32 i = 0; i < steps; ++i) node.update(kStep);
    return g_allocations.load() - before;
}

TEST(ParticleAllocation, TheCounterSeesAllocations) {
    const unsigned long before = g_allocations.load();
    auto* held = new int(4);
    EXPECT_EQ(g_allocations.load() - before, 1u);
    delete held;
}

TEST(ParticleAllocation, ARunningWeatherStepAllocatesNothing) {
    CRandom::instance().seed(5);
    NodeContentFixture content;
    auto snow = makeRef<GWeatherParticlesNode>(CCreationContext(content.manager, ""));
    snow->setAtlasTexture(content.frame(atlas::Dot));
    snow->ParticleLifetimeRange = vector2df(1500, 1500);
    snow->ParticleVelRange = vector2df(40, 60);
    snow->ParticleAngularVelocityRange = vector2df(-90, 90);
    snow->ParticleNormalDeltaRange = vector2df(5, 10);
    snow->ParticleNormalDeltaPeriodRange = vector2df(1000, 2000);
    snow->ColorA = {{0.0f, 0.0f}, {0.2f, 1.0f}, {1.0f, 0.0f}};
    snow->ScaleX = {{0.0f, 0.5f}, {1.0f, 1.5f}};
    snow->ScaleY = {{0.0f, 0.5f}, {1.0f, 1.5f}};
    snow->PPS = 400;
    EXPECT_EQ(allocationsOfRunningSteps(*snow, 300), 0u);
    EXPECT_GT(snow->getLiveCount(), 500u);
}

TEST(ParticleAllocation, ARunningHintStepAllocatesNothing) {
    CRandom::instance().seed(6);
    NodeContentFixture content;
    auto hint = makeRef<GHOHintParticlesNode>(CCreationContext(content.manager, ""));
    hint->setAtlasTexture(content.frame(atlas::Dot));
    hint->EmitRadiusXRange = vector2df(10, 20);
    hint->EmitRadiusYRange = vector2df(10, 20);
    hint->ParticlesDensity = vector2df(12, 12);
    hint->ParticlesVelRange = vector2df(20, 40);
    hint->ParticlesLifetimeRange = vector2df(900, 900);
    hint->AngularVelocity = {{0.0f, 180.0f}, {1.0f, 0.0f}};
    hint->Scale = {{0.0f, 0.5f}, {1.0f, 1.2f}};
    hint->ColorA = {{0.0f, 1.0f}, {1.0f, 0.0f}};
    hint->PPS = 10;
    EXPECT_EQ(allocationsOfRunningSteps(*hint, 300), 0u);
    EXPECT_GT(hint->getLiveCount(), 50u);
}

}  // namespace

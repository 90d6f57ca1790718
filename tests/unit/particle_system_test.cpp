// The particle manager under a virtual counter and fixed seeds: emitters in, removal and spawns in one
// pass, the list's links in both directions, clearing, and one seed giving one run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/counter.h"
#include "particles/emitter_spawn.h"
#include "particles/particle_emitter.h"
#include "particles/particle_system.h"
#include "particles/random.h"

namespace {
float expectedUnit() { return static_cast<float>(std::rand() & 0x7FFF) * (1.0f / 32767.0f); }

// A 1 MHz virtual counter and a system that is cleared whatever the test does.
class ParticleSystemTest : public ::testing::Test {
protected:
    void SetUp() override { installVirtualCounter(1000000, true); }
    void TearDown() override {
        system.clear();
        removeVirtualCounter();
    }
    static void advanceMs(int ms) { advanceVirtualCounter(static_cast<int64_t>(ms) * 1000); }

    // The list read from head along next, checking every prev link on the way.
    std::vector<Particle*> walk() const {
        std::vector<Particle*> order;
        Particle* previous = nullptr;
        for (Particle* p = system.head; p; p = p->next) {
            EXPECT_EQ(p->prev, previous);
            order.push_back(p);
            previous = p;
            if (order.size() > 10000) break;
        }
        return order;
    }

    // A puff owned by the list, appended at its end, living lifetime ms.
    Particle* appendPuff(int lifetime) {
        PuffParticle* puff = allocateParticle<PuffParticle>();
        puff->lifetime = lifetime;
        puff->stepInterval = 60;
        puff->colour[3] = 1.0f;
        if (!system.head) {
            system.head = puff;
        } else {
            Particle* last = system.head;
            while (last->next) last = last->next;
            last->next = puff;
            puff->prev = last;
        }
        return puff;
    }

    static void fillNames(TextureList& list, std::initializer_list<GLuint> names) {
        list.clear();
        list.names = new GLuint[names.size()];
        list.count = static_cast<int32_t>(names.size());
        int i = 0;
        for (GLuint n : names) list.names[i++] = n;
    }

    ParticleSystem system;
};

// Spawns a puff and dies in the same call, which no real emitter does: it empties the list while a
// batch is waiting.
class SpawnAndDie : public Particle {
public:
    bool update(Particle** spawned) override {
        *spawned = allocateParticle<PuffParticle>();
        return false;
    }
};
}  // namespace

TEST_F(ParticleSystemTest, AddEmitterDrawsItsPropertiesInOrderAndBecomesTheHead) {
    fillNames(system.headTextures, {101, 202, 303});
    std::srand(2024);
    system.addEmitter(Vector3(0, 50, 0), 7000);
    std::srand(2024);
    const float red = expectedUnit();
    const float green = expectedUnit() * 0.5f;
    const float blue = expectedUnit();
    const int interval = 80 - static_cast<int>(expectedUnit() * -20.0f + 10.0f);
    const float speedZ = expectedUnit() * 4.0f - 2.0f;
    const float speedY = expectedUnit() * 4.0f - 2.0f;
    const float speedX = expectedUnit() * 4.0f - 2.0f;
    const GLuint texture = system.headTextures.names[std::rand() % 3];

    auto* emitter = dynamic_cast<ParticleEmitter*>(system.head);
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(emitter->colour[0], red);
    EXPECT_EQ(emitter->colour[1], green);
    EXPECT_EQ(emitter->colour[2], blue);
    EXPECT_EQ(emitter->colour[3], 1.0f);
    EXPECT_EQ(emitter->spawnInterval, interval);
    EXPECT_GE(interval, 70);
    EXPECT_LE(interval, 90);
    EXPECT_EQ(emitter->rotationSpeed.z, speedZ);
    EXPECT_EQ(emitter->rotationSpeed.y, speedY);
    EXPECT_EQ(emitter->rotationSpeed.x, speedX);
    EXPECT_EQ(emitter->texture, texture);
    EXPECT_EQ(emitter->kind, Puff);
    EXPECT_EQ(emitter->lifetime, 7000);
    EXPECT_EQ(emitter->stepInterval, 20);
    EXPECT_EQ(emitter->size, 5.0f);
    EXPECT_EQ(emitter->position.y, 50.0f);
    EXPECT_EQ(emitter->direction.y, 50.0f);
    EXPECT_EQ(emitter->next, nullptr);
    EXPECT_EQ(emitter->prev, nullptr);

    // The later of two emitters is the head.
    system.addEmitter(Vector3(50, 0, 0), 5000);
    const std::vector<Particle*> order = walk();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0]->position.x, 50.0f);
    EXPECT_EQ(order[1], emitter);

    // Without head textures an emitter gets texture 0 and draws no texture index.
    system.headTextures.clear();
    system.addEmitter(Vector3(0, 0, 50), 5000);
    EXPECT_EQ(system.head->texture, 0u);
}

TEST_F(ParticleSystemTest, RandomEmittersSitOnTheSphereOfRadius50) {
    std::srand(77);
    for (int i = 0; i < 200; ++i) system.spawnRandomEmitter();
    std::srand(77);
    std::vector<Particle*> order = walk();
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i) {
        // The first emitter made is now the last of the list.
        Particle* emitter = order[199 - i];
        const float x = expectedUnit() * 200.0f - 100.0f;
        const float y = expectedUnit() * 200.0f - 100.0f;
        const float z = expectedUnit() * 200.0f - 100.0f;
        const float length = std::sqrt(x * x + y * y + z * z);
        const int lifetime = static_cast<int>((expectedUnit() + 1.0f) * 5000.0f);
        for (int draw = 0; draw < 7; ++draw) std::rand();  // addEmitter's own draws (no textures)
        const Vector3 p = emitter->position;
        ASSERT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 50.0f, 1e-3f);
        ASSERT_NEAR(p.x, x / length * 50.0f, 1e-3f);
        ASSERT_NEAR(p.z, z / length * 50.0f, 1e-3f);
        ASSERT_EQ(emitter->lifetime, lifetime);
        ASSERT_GE(lifetime, 5000);
        ASSERT_LE(lifetime, 10000);
    }
    // An emitter at the origin (as when all three draws are 0) stays there whatever it turns by.
    system.clear();
    system.addEmitter(Vector3(0, 0, 0), 5000);
    for (int i = 0; i < 10; ++i) {
        advanceMs(21);
        system.updateAll();
    }
    EXPECT_EQ(system.head->position.x, 0.0f);
    EXPECT_EQ(system.head->position.y, 0.0f);
    EXPECT_EQ(system.head->position.z, 0.0f);
}

TEST_F(ParticleSystemTest, RemovingHeadMiddleAndLastKeepsBothDirectionsConsistent) {
    // Lifetimes decide who dies: 10 ms dies at the first update after 11 ms.
    Particle* a = appendPuff(10);
    Particle* b = appendPuff(100000);
    Particle* c = appendPuff(10);
    Particle* d = appendPuff(100000);
    Particle* e = appendPuff(10);
    advanceMs(11);
    system.updateAll();
    std::vector<Particle*> order = walk();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], b);
    EXPECT_EQ(order[1], d);
    EXPECT_EQ(system.head, b);
    EXPECT_EQ(d->next, nullptr);
    (void)a;
    (void)c;
    (void)e;

    // Everything dies: the list is empty.
    b->lifetime = 5;
    d->lifetime = 5;
    system.updateAll();
    EXPECT_EQ(system.head, nullptr);
    system.updateAll();  // an empty pass does nothing
    EXPECT_EQ(system.head, nullptr);
}

TEST_F(ParticleSystemTest, SpawnedParticlesJoinAfterTheSurvivorsNewestFirst) {
    fillNames(system.smokeTextures, {7, 8});
    std::srand(5);
    system.addEmitter(Vector3(50, 0, 0), 100000);
    system.addEmitter(Vector3(0, 50, 0), 100000);
    Particle* second = system.head;
    Particle* first = second->next;
    Particle* dying = appendPuff(90);

    // After 91 ms both emitters spawn (70 to 90 ms) and the puff at the end of the list dies.
    advanceMs(91);
    const int seed = std::rand();
    std::srand(seed);
    system.updateAll();
    (void)dying;
    std::vector<Particle*> order = walk();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[0], second);
    EXPECT_EQ(order[1], first);
    // The head emitter spawned first, so its particle is the older one: last of the batch.
    EXPECT_EQ(order[3]->position.y, 50.0f);
    EXPECT_EQ(order[2]->position.x, 50.0f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(order[3]->colour[i], second->colour[i]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(order[2]->colour[i], first->colour[i]);
    // The draws of the pass: extra for the first spawn, its texture; extra for the second, its texture.
    std::srand(seed);
    const int extraOlder = static_cast<int>(expectedUnit() * 150.0f + 100.0f);
    const GLuint textureOlder = system.smokeTextures.names[std::rand() % 2];
    const int extraNewer = static_cast<int>(expectedUnit() * 150.0f + 100.0f);
    const GLuint textureNewer = system.smokeTextures.names[std::rand() % 2];
    EXPECT_EQ(order[3]->lifetime, 1200 + extraOlder);
    EXPECT_EQ(order[3]->texture, textureOlder);
    EXPECT_EQ(order[2]->lifetime, 1200 + extraNewer);
    EXPECT_EQ(order[2]->texture, textureNewer);

    // The new particles were not updated in the pass that made them: their step timers read 0.
    EXPECT_EQ(order[2]->stepTimer.elapsedMs(), 0.0);
    EXPECT_EQ(order[2]->size, 5.0f);

    // A particle that spawns and dies in one call leaves the batch as the whole list.
    system.clear();
    system.head = allocateParticle<SpawnAndDie>();
    system.updateAll();
    order = walk();
    ASSERT_EQ(order.size(), 1u);
    EXPECT_NE(dynamic_cast<PuffParticle*>(order[0]), nullptr);
    EXPECT_EQ(order[0]->texture, 0u);  // no smoke textures after clear
}

TEST_F(ParticleSystemTest, ClearEmptiesListsAndParticlesAndIsSafeTwice) {
    system.clear();
    system.clear();
    EXPECT_EQ(system.head, nullptr);

    fillNames(system.headTextures, {1});
    fillNames(system.smokeTextures, {2, 3});
    std::srand(9);
    for (int i = 0; i < 5; ++i) system.spawnRandomEmitter();
    for (int frame = 0; frame < 50; ++frame) {
        advanceMs(17);
        system.updateAll();
    }
    EXPECT_GT(walk().size(), 5u);
    system.clear();
    EXPECT_EQ(system.head, nullptr);
    EXPECT_EQ(system.headTextures.count, 0);
    EXPECT_EQ(system.headTextures.names, nullptr);
    EXPECT_EQ(system.smokeTextures.count, 0);
    EXPECT_EQ(system.smokeTextures.names, nullptr);
    system.clear();
    EXPECT_EQ(system.head, nullptr);
}

TEST_F(ParticleSystemTest, OneSeedGivesOneRun) {
    struct Snapshot {
        int kind;
        float x, y, z, size, alpha;
        uint32_t texture;
    };
    auto run = [&](unsigned seed) {
        system.clear();
        installVirtualCounter(1000000, true);
        fillNames(system.headTextures, {1});
        fillNames(system.smokeTextures, {4, 5, 6});
        std::srand(seed);
        for (int i = 0; i < 3; ++i) system.spawnRandomEmitter();
        std::vector<Snapshot> snapshots;
        size_t most = 0;
        for (int frame = 0; frame < 600; ++frame) {  // ten seconds at 60 frames a second
            advanceVirtualCounter(16667);
            system.updateAll();
            most = std::max(most, walk().size());
        }
        for (Particle* p = system.head; p; p = p->next) {
            snapshots.push_back({dynamic_cast<ParticleEmitter*>(p) ? 1 : 0, p->position.x, p->position.y,
                                 p->position.z, p->size, p->colour[3], p->texture});
        }
        // A few dozen alive at the demo's rates: three emitters at 70-90 ms, puffs of 1.2-1.3 s.
        EXPECT_GT(most, 20u);
        EXPECT_LT(most, 80u);
        return snapshots;
    };
    const std::vector<Snapshot> first = run(4242);
    const std::vector<Snapshot> again = run(4242);
    const std::vector<Snapshot> other = run(4243);
    ASSERT_EQ(first.size(), again.size());
    bool otherDiffers = first.size() != other.size();
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].kind, again[i].kind);
        EXPECT_EQ(first[i].x, again[i].x);
        EXPECT_EQ(first[i].y, again[i].y);
        EXPECT_EQ(first[i].z, again[i].z);
        EXPECT_EQ(first[i].size, again[i].size);
        EXPECT_EQ(first[i].alpha, again[i].alpha);
        EXPECT_EQ(first[i].texture, again[i].texture);
        if (i < other.size() && (first[i].x != other[i].x || first[i].y != other[i].y)) otherDiffers = true;
    }
    EXPECT_TRUE(otherDiffers);
}

TEST(ParticleGlobals, SpawnTimerRunsFromStartAndTheSystemStartsEmpty) {
    EXPECT_EQ(emitterSpawnInterval, 15000);
    EXPECT_NE(emitterSpawnTimer.usePerformanceCounter, 0);
    EXPECT_GE(emitterSpawnTimer.elapsedMs(), 0.0);
    EXPECT_EQ(particleSystem.head, nullptr);
    EXPECT_EQ(particleSystem.headTextures.count, 0);
    EXPECT_EQ(particleSystem.smokeTextures.names, nullptr);
}

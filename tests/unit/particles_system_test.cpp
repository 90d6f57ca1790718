// Particles under a 1 MHz virtual counter and fixed seeds: the kinds' steps and deaths, the emitter's
// spawns and orbit, and the manager's list (removal, spawns joining it, clearing, one seed one run).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <typeinfo>
#include <vector>

#include "services/counter.h"
#include "particles/particle_emitter.h"
#include "particles/particle_system.h"
#include "particles/random.h"

namespace {
class Particles : public ::testing::Test {
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
        for (Particle* p = system.head; p && order.size() < 10000; p = p->next) {
            EXPECT_EQ(p->prev, order.empty() ? nullptr : order.back());
            order.push_back(p);
        }
        return order;
    }

    // A puff appended at the end of the list, living lifetime ms.
    Particle* appendPuff(int lifetime) {
        PuffParticle* puff = allocateParticle<PuffParticle>();
        puff->lifetime = lifetime;
        puff->stepInterval = 60;
        puff->colour[3] = 1.0f;
        const std::vector<Particle*> order = walk();
        puff->prev = order.empty() ? nullptr : order.back();
        (order.empty() ? system.head : order.back()->next) = puff;
        return puff;
    }

    static void fillNames(TextureList& list, std::vector<GLuint> names) {
        list.clear();
        list.names = new GLuint[names.size()];
        list.count = static_cast<int32_t>(names.size());
        std::copy(names.begin(), names.end(), list.names);
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

TEST_F(Particles, EachKindStepsOnlyAfterItsIntervalAndDiesWhenFadedOut) {
    PuffParticle puff;
    DriftParticle drift;
    RiseParticle rise;
    drift.velocityX = -0.5f;
    drift.velocityY = 2.0f;
    struct Case {
        Particle* p;
        int interval;
        float grow, brighten, fade;
        float dx, dyLow, dyHigh;  // the move of one step
        int steps;                // until alpha falls below 0 in single precision
        int due;                  // ms: the first 60 Hz frame past the interval, whole ms
    };
    for (const Case& c : {Case{&puff, 60, 0.6f, 0.03f, 0.05f, 0, 0, 0, 20, 67},
                          Case{&drift, 20, 0.3f, 0.02f, 0.02f, -0.5f, 2, 2, 51, 34},
                          Case{&rise, 20, 0.3f, 0.01f, 0.02f, 0, 1, 2, 51, 34}}) {
        SCOPED_TRACE(c.grow + c.brighten);
        Particle& p = *c.p;
        p.lifetime = 100000;
        p.stepInterval = c.interval;
        p.size = 5.0f;
        p.position = Vector3(1, 10, 3);
        const float colour[4] = {0.2f, 0.1f, 0.4f, 1.0f};
        std::copy(colour, colour + 4, p.colour);
        p.stepTimer.restart();
        p.lifeTimer.restart();
        // Steps come as on a 60 Hz display: not at the interval, but at the first frame past it.
        advanceMs(c.interval);
        EXPECT_TRUE(p.update(nullptr));
        EXPECT_EQ(p.size, 5.0f);
        advanceMs(c.due - c.interval);
        EXPECT_TRUE(p.update(nullptr));
        EXPECT_EQ(p.size, 5.0f + c.grow);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(p.colour[i], colour[i] + c.brighten);
        EXPECT_EQ(p.colour[3], 1.0f - c.fade);
        EXPECT_EQ(p.position.x, 1.0f + c.dx);
        EXPECT_GE(p.position.y, 10.0f + c.dyLow);
        EXPECT_LE(p.position.y, 10.0f + c.dyHigh);
        EXPECT_EQ(p.position.z, 3.0f);
        // The step moved the step timer on: half an interval later nothing is due.
        advanceMs(c.interval / 2);
        EXPECT_TRUE(p.update(nullptr));
        EXPECT_EQ(p.colour[3], 1.0f - c.fade);
        int steps = 1;  // then one a call, up to the call that finds alpha below 0 and returns false
        do advanceMs(c.due);
        while (++steps < 300 && p.update(nullptr));
        EXPECT_EQ(steps, c.steps);
        EXPECT_LT(p.colour[3], 0.0f);
    }
}

TEST_F(Particles, AnEmitterSpawnsItsKindAtItsPlaceUntilItsLifetimeEnds) {
    struct Case {
        int kind;
        const std::type_info* type;
        int interval, baseLifetime;
    };
    for (const Case& c : {Case{Puff, &typeid(PuffParticle), 60, 1200}, Case{Drift, &typeid(DriftParticle), 20, 1000},
                          Case{Rise, &typeid(RiseParticle), 20, 1500}}) {
        SCOPED_TRACE(c.kind);
        ParticleEmitter emitter(Vector3(0, 0, 50), 80, c.kind);
        emitter.lifetime = 5000;
        emitter.stepInterval = 20;
        emitter.position = Vector3(0, 0, 50);
        emitter.rotationSpeed = Vector3(0, 90, 0);
        const float colour[4] = {0.7f, 0.3f, 0.9f, 1.0f};
        std::copy(colour, colour + 4, emitter.colour);
        Particle* p = nullptr;
        advanceMs(79);  // short of the interval
        EXPECT_TRUE(emitter.update(&p));
        ASSERT_EQ(p, nullptr);
        // A spawn and a step of the orbit are both due: 113 ms is past the spawn's 83.3 (5 frames), and
        // 34 ms since the first step (whose late call started its timer afresh) past its 33.3.
        advanceMs(34);
        EXPECT_TRUE(emitter.update(&p));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(typeid(*p), *c.type);
        EXPECT_EQ(p->stepInterval, c.interval);
        EXPECT_GE(p->lifetime, c.baseLifetime + 100);
        EXPECT_LE(p->lifetime, c.baseLifetime + 250);
        EXPECT_EQ(p->size, 5.0f);
        EXPECT_EQ(p->position.z, 50.0f);  // where the emitter was before this call's step moved it
        EXPECT_NE(emitter.position.z, 50.0f);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(p->colour[i], colour[i]);
        EXPECT_EQ(p->lifeTimer.elapsedMs(), 0.0);
        if (auto* drift = dynamic_cast<DriftParticle*>(p)) {
            EXPECT_TRUE(drift->velocityX >= -1.0f && drift->velocityX <= 1.0f);
            EXPECT_EQ(drift->velocityY, 2.0f);
        }
        freeParticle(p);
        p = nullptr;
        advanceMs(50);  // the spawn timer moved on by 83.3 ms: no second particle yet
        EXPECT_TRUE(emitter.update(&p));
        EXPECT_EQ(p, nullptr);
        advanceMs(4850);  // 5013 ms since birth: dead, without a last spawn
        EXPECT_FALSE(emitter.update(&p));
        EXPECT_EQ(p, nullptr);
    }
}

TEST_F(Particles, AnEmitterTurnsByTheAngleBeforeItsStepAndRestartsPastAFullTurn) {
    // 360 itself stays; past it the angle is 0.
    ParticleEmitter turning(Vector3(50, 0, 0), 1000000, Puff);
    turning.lifetime = 100000;
    turning.stepInterval = 20;
    turning.rotation = Vector3(0, 0, 357);
    turning.rotationSpeed = Vector3(0, 0, 3);
    const float expected[3][3] = {{49.9315f, -2.6168f, 360}, {50, 0, 0}, {50, 0, 3}};  // x, y, angle after
    for (const auto& row : expected) {
        advanceMs(34);   // two 60 Hz frames: the first past the interval of 20 ms
        ASSERT_TRUE(turning.update(nullptr));
        EXPECT_NEAR(turning.position.x, row[0], 1e-3f);
        EXPECT_NEAR(turning.position.y, row[1], 1e-3f);
        EXPECT_EQ(turning.rotation.z, row[2]);  // 363 restarts at 0 rather than wrapping to 3
    }
}

TEST_F(Particles, RandomEmittersSitOnTheSphereAndTakeTheirPropertiesInRange) {
    fillNames(system.headTextures, {101, 202, 303});
    std::srand(77);
    for (int i = 0; i < 200; ++i) system.spawnRandomEmitter();
    const std::vector<Particle*> order = walk();
    ASSERT_EQ(order.size(), 200u);
    for (Particle* p : order) {
        auto* e = dynamic_cast<ParticleEmitter*>(p);
        ASSERT_NE(e, nullptr);
        const Vector3 at = e->position;
        ASSERT_NEAR(std::sqrt(at.x * at.x + at.y * at.y + at.z * at.z), 50.0f, 1e-3f);
        ASSERT_EQ(e->direction.x, at.x);
        ASSERT_TRUE(e->lifetime >= 5000 && e->lifetime <= 10000) << e->lifetime;
        ASSERT_TRUE(e->spawnInterval >= 70 && e->spawnInterval <= 90) << e->spawnInterval;
        ASSERT_TRUE(e->colour[1] >= 0.0f && e->colour[1] <= 0.5f && e->colour[3] == 1.0f);
        for (float speed : {e->rotationSpeed.x, e->rotationSpeed.y, e->rotationSpeed.z})
            ASSERT_TRUE(speed >= -2.0f && speed <= 2.0f) << speed;
        ASSERT_TRUE(e->texture == 101 || e->texture == 202 || e->texture == 303) << e->texture;
    }
}

TEST_F(Particles, TheListStaysLinkedWhenHeadMiddleAndLastDieAndWhenSpawnsJoinIt) {
    appendPuff(10);
    Particle* b = appendPuff(100000);
    appendPuff(10);
    Particle* d = appendPuff(100000);
    appendPuff(10);
    advanceMs(11);  // the 10 ms puffs die at the first update after 10 ms
    system.updateAll();
    EXPECT_EQ(walk(), (std::vector<Particle*>{b, d}));
    b->lifetime = d->lifetime = 5;
    system.updateAll();
    EXPECT_EQ(system.head, nullptr);
    system.updateAll();  // an empty pass does nothing

    // Two emitters spawn in the pass in which the last particle of the list dies: the spawns join
    // behind the survivors, newest first, not yet updated.
    fillNames(system.smokeTextures, {7, 8});
    system.addEmitter(Vector3(50, 0, 0), 100000);
    system.addEmitter(Vector3(0, 50, 0), 100000);
    Particle* second = system.head;
    Particle* first = second->next;
    EXPECT_EQ(first->texture + second->texture, 0u);  // no head textures: texture 0
    appendPuff(90);
    advanceMs(91);
    system.updateAll();
    const std::vector<Particle*> order = walk();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[0], second);
    EXPECT_EQ(order[1], first);
    EXPECT_EQ(order[2]->position.x, 50.0f);  // from the later emitter in the list, spawned last
    EXPECT_EQ(order[3]->position.y, 50.0f);
    for (Particle* spawned : {order[2], order[3]}) {
        EXPECT_TRUE(spawned->texture == 7 || spawned->texture == 8) << spawned->texture;
        EXPECT_EQ(spawned->stepTimer.elapsedMs(), 0.0);
    }

    // A particle that spawns and dies in one call leaves the batch as the whole list; clearing twice
    // empties the list and both texture lists.
    system.clear();
    system.head = allocateParticle<SpawnAndDie>();
    system.updateAll();
    ASSERT_EQ(walk().size(), 1u);
    EXPECT_NE(dynamic_cast<PuffParticle*>(system.head), nullptr);
    fillNames(system.headTextures, {1});
    system.clear();
    system.clear();
    EXPECT_EQ(system.head, nullptr);
    EXPECT_EQ(system.headTextures.names, nullptr);
    EXPECT_EQ(system.smokeTextures.count, 0);
}

TEST_F(Particles, OneSeedGivesOneRun) {
    auto run = [&](unsigned seed) {
        system.clear();
        installVirtualCounter(1000000, true);
        fillNames(system.headTextures, {1});
        fillNames(system.smokeTextures, {4, 5, 6});
        std::srand(seed);
        for (int i = 0; i < 3; ++i) system.spawnRandomEmitter();
        size_t most = 0;
        for (int frame = 0; frame < 600; ++frame) {  // ten seconds at 60 frames a second
            advanceVirtualCounter(16667);
            system.updateAll();
            most = std::max(most, walk().size());
        }
        // A few dozen alive at the demo's rates: three emitters at 70-90 ms, puffs of 1.3-1.45 s.
        EXPECT_GT(most, 20u);
        EXPECT_LT(most, 80u);
        std::vector<std::array<float, 7>> snapshot;
        for (Particle* p : walk())
            snapshot.push_back({dynamic_cast<ParticleEmitter*>(p) ? 1.0f : 0.0f, p->position.x, p->position.y,
                                p->position.z, p->size, p->colour[3], static_cast<float>(p->texture)});
        return snapshot;
    };
    const auto first = run(4242);
    EXPECT_EQ(run(4242), first);
    EXPECT_NE(run(4243), first);
}

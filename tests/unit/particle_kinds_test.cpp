// Particle kinds and the emitter under a virtual counter and a fixed seed: steps, deaths, spawns, orbit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/counter.h"
#include "particles/particle.h"
#include "particles/particle_emitter.h"
#include "particles/random.h"

namespace {
// A 1 MHz virtual counter, advanced in whole milliseconds.
class ParticleClock : public ::testing::Test {
protected:
    void SetUp() override { installVirtualCounter(1000000, true); }
    void TearDown() override { removeVirtualCounter(); }
    static void advanceMs(int ms) { advanceVirtualCounter(static_cast<int64_t>(ms) * 1000); }
};

// The draw randomUnit must make, taken straight from the generator.
float expectedUnit() { return static_cast<float>(std::rand() & 0x7FFF) * (1.0f / 32767.0f); }

template <typename T>
void initSpawned(T& particle, int lifetime, int stepInterval) {
    particle.lifetime = lifetime;
    particle.stepInterval = stepInterval;
    particle.size = 5.0f;
    particle.colour[0] = 0.2f;
    particle.colour[1] = 0.1f;
    particle.colour[2] = 0.4f;
    particle.colour[3] = 1.0f;
}

float distanceFromOrigin(Vector3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

struct SpawnedParticle {
    Particle* particle = nullptr;
    ~SpawnedParticle() { freeParticle(particle); }
};
}  // namespace

TEST(ParticleRandom, DrawsFollowTheGeneratorOneNumberEach) {
    std::srand(1234);
    const float a = randomUnit();
    const float b = randomRange(-1.0f, 1.0f);
    const float c = randomRange(2.0f, 2.0f);
    const float d = randomUnit();
    std::srand(1234);
    EXPECT_EQ(a, expectedUnit());
    EXPECT_EQ(b, -1.0f + expectedUnit() * 2.0f);
    EXPECT_EQ(c, 2.0f);
    expectedUnit();  // the degenerate range still consumed its number
    EXPECT_EQ(d, expectedUnit());
    for (int i = 0; i < 10000; ++i) {
        const float u = randomUnit();
        ASSERT_GE(u, 0.0f);
        ASSERT_LE(u, 1.0f);
    }
}

TEST_F(ParticleClock, PuffStepsEvery60MsAndDiesAtItsTwentiethStep) {
    PuffParticle puff;
    initSpawned(puff, 100000, 60);
    // Not yet due: nothing changes, still alive.
    advanceMs(60);
    EXPECT_TRUE(puff.update(nullptr));
    EXPECT_EQ(puff.size, 5.0f);
    EXPECT_EQ(puff.colour[3], 1.0f);

    advanceMs(1);
    EXPECT_TRUE(puff.update(nullptr));
    EXPECT_EQ(puff.size, 5.6f);
    EXPECT_EQ(puff.colour[0], 0.2f + 0.03f);
    EXPECT_EQ(puff.colour[1], 0.1f + 0.03f);
    EXPECT_EQ(puff.colour[2], 0.4f + 0.03f);
    EXPECT_EQ(puff.colour[3], 1.0f - 0.05f);
    // A step restarts the step timer: 30 ms later nothing is due.
    advanceMs(30);
    EXPECT_TRUE(puff.update(nullptr));
    EXPECT_EQ(puff.colour[3], 1.0f - 0.05f);

    int steps = 1;
    bool alive = true;
    while (alive && steps < 100) {
        advanceMs(61);
        alive = puff.update(nullptr);
        ++steps;
    }
    EXPECT_FALSE(alive);
    EXPECT_EQ(steps, 20);  // single-precision alpha falls just below 0 at the 20th subtraction
    EXPECT_LT(puff.colour[3], 0.0f);
    EXPECT_GT(puff.colour[3], -0.001f);
}

namespace {
// Updates every frameMs until the particle dies; returns the number of calls (at most 100).
int callsUntilDeath(Particle& particle, int frameMs) {
    int calls = 0;
    bool alive = true;
    while (alive && calls < 100) {
        advanceVirtualCounter(static_cast<int64_t>(frameMs) * 1000);
        alive = particle.update(nullptr);
        ++calls;
    }
    return calls;
}
}  // namespace

TEST_F(ParticleClock, PuffDiesAtItsLifetimeOrItsTwentiethStepWhicheverComesFirst) {
    // 61 ms frames: 20 steps take 1220 ms, before even the shortest lifetime (1300 ms).
    PuffParticle longest;
    initSpawned(longest, 1450, 60);
    EXPECT_EQ(callsUntilDeath(longest, 61), 20);
    EXPECT_LT(longest.colour[3], 0.0f);

    // 70 ms frames: 18 steps by 1260 ms, and at 1330 ms the 1300 ms lifetime is over first.
    PuffParticle shortest;
    initSpawned(shortest, 1300, 60);
    EXPECT_EQ(callsUntilDeath(shortest, 70), 19);
    EXPECT_GT(shortest.colour[3], 0.0f);
    EXPECT_NEAR(shortest.size, 5.0f + 18 * 0.6f, 1e-4f);  // the deciding call made no step
}

TEST_F(ParticleClock, DriftAndRiseMoveAndFadeInTheirOwnSteps) {
    DriftParticle drift;
    initSpawned(drift, 100000, 20);
    drift.position = Vector3(1, 2, 3);
    drift.velocityX = -0.5f;
    drift.velocityY = 2.0f;
    advanceMs(21);
    EXPECT_TRUE(drift.update(nullptr));
    EXPECT_EQ(drift.position.x, 0.5f);
    EXPECT_EQ(drift.position.y, 4.0f);
    EXPECT_EQ(drift.position.z, 3.0f);
    EXPECT_EQ(drift.size, 5.3f);
    EXPECT_EQ(drift.colour[0], 0.2f + 0.02f);
    EXPECT_EQ(drift.colour[3], 1.0f - 0.02f);

    RiseParticle rise;
    initSpawned(rise, 100000, 20);
    rise.position = Vector3(0, 10, 0);
    std::srand(99);
    advanceMs(21);
    EXPECT_TRUE(rise.update(nullptr));
    std::srand(99);
    EXPECT_EQ(rise.position.y, 10.0f + 1.0f + expectedUnit());
    EXPECT_EQ(rise.colour[2], 0.4f + 0.01f);
    EXPECT_EQ(rise.colour[3], 1.0f - 0.02f);

    // Alpha falls by 0.02 per step: a rising particle fades out after about 50 steps.
    int steps = 1;
    bool alive = true;
    while (alive && steps < 200) {
        advanceMs(21);
        alive = rise.update(nullptr);
        ++steps;
    }
    EXPECT_FALSE(alive);
    EXPECT_GE(steps, 50);
    EXPECT_LE(steps, 51);
}

TEST_F(ParticleClock, EmitterSpawnsItsKindWithItsColourAtItsPosition) {
    for (int kind : {Puff, Drift, Rise}) {
        SCOPED_TRACE(kind);
        ParticleEmitter emitter(Vector3(0, 0, 50), 80, kind);
        emitter.lifetime = 8000;
        emitter.stepInterval = 20;
        emitter.size = 5.0f;
        emitter.position = Vector3(0, 0, 50);
        emitter.colour[0] = 0.7f;
        emitter.colour[1] = 0.3f;
        emitter.colour[2] = 0.9f;
        emitter.colour[3] = 1.0f;

        SpawnedParticle slot;
        advanceMs(80);  // exactly the interval is not enough
        EXPECT_TRUE(emitter.update(&slot.particle));
        EXPECT_EQ(slot.particle, nullptr);

        std::srand(7);
        advanceMs(1);
        EXPECT_TRUE(emitter.update(&slot.particle));
        ASSERT_NE(slot.particle, nullptr);
        std::srand(7);
        const int extra = static_cast<int>(expectedUnit() * 150.0f + 100.0f);
        Particle* p = slot.particle;
        EXPECT_EQ(p->next, nullptr);
        EXPECT_EQ(p->prev, nullptr);
        EXPECT_EQ(p->size, 5.0f);
        EXPECT_EQ(p->position.z, 50.0f);  // the position before this call's step moved the emitter
        for (int i = 0; i < 4; ++i) EXPECT_EQ(p->colour[i], emitter.colour[i]);
        EXPECT_GE(extra, 100);
        EXPECT_LE(extra, 250);
        if (kind == Puff) {
            EXPECT_NE(dynamic_cast<PuffParticle*>(p), nullptr);
            EXPECT_EQ(p->stepInterval, 60);
            EXPECT_EQ(p->lifetime, 1200 + extra);
        } else if (kind == Drift) {
            auto* drift = dynamic_cast<DriftParticle*>(p);
            ASSERT_NE(drift, nullptr);
            EXPECT_EQ(drift->velocityX, -1.0f + expectedUnit() * 2.0f);
            EXPECT_EQ(drift->velocityY, 2.0f);
            EXPECT_EQ(p->stepInterval, 20);
            EXPECT_EQ(p->lifetime, 1000 + extra);
        } else {
            EXPECT_NE(dynamic_cast<RiseParticle*>(p), nullptr);
            EXPECT_EQ(p->stepInterval, 20);
            EXPECT_EQ(p->lifetime, 1500 + extra);
        }
        // The spawned particle's timers start at its birth.
        EXPECT_EQ(p->lifeTimer.elapsedMs(), 0.0);

        // The spawn timer restarted: 50 ms later no second particle.
        freeParticle(slot.particle);
        slot.particle = nullptr;
        advanceMs(50);
        EXPECT_TRUE(emitter.update(&slot.particle));
        EXPECT_EQ(slot.particle, nullptr);
    }
}

TEST_F(ParticleClock, EmitterOfUnknownKindSpawnsNothingAndDiesAtItsLifetime) {
    ParticleEmitter emitter(Vector3(50, 0, 0), 70, 7);
    emitter.lifetime = 5000;
    emitter.stepInterval = 20;
    Particle* slot = nullptr;
    advanceMs(100);
    EXPECT_TRUE(emitter.update(&slot));
    EXPECT_EQ(slot, nullptr);
    emitter.kind = Puff;
    advanceMs(4901);  // 5001 ms since birth: dead, and no last spawn
    EXPECT_FALSE(emitter.update(&slot));
    EXPECT_EQ(slot, nullptr);
}

TEST_F(ParticleClock, EmitterOrbitsAtItsDistanceAndResetsAnglesPastAFullTurn) {
    // No rotation speed: it stays where it started.
    ParticleEmitter still(Vector3(30, 40, 0), 1000000, Puff);
    still.lifetime = 100000;
    still.stepInterval = 20;
    still.position = still.direction;
    for (int i = 0; i < 50; ++i) {
        advanceMs(21);
        ASSERT_TRUE(still.update(nullptr));
    }
    EXPECT_EQ(still.position.x, 30.0f);
    EXPECT_EQ(still.position.y, 40.0f);
    EXPECT_EQ(still.position.z, 0.0f);

    // Random speeds keep the distance 50 over many steps.
    std::srand(31337);
    ParticleEmitter orbit(Vector3(0, 50, 0), 1000000, Puff);
    orbit.lifetime = 100000;
    orbit.stepInterval = 20;
    orbit.rotationSpeed = Vector3(randomUnit() * 4 - 2, randomUnit() * 4 - 2, randomUnit() * 4 - 2);
    for (int i = 0; i < 1000; ++i) {
        advanceMs(21);
        ASSERT_TRUE(orbit.update(nullptr));
        ASSERT_NEAR(distanceFromOrigin(orbit.position), 50.0f, 1e-3f);
        ASSERT_GE(orbit.rotation.z, -360.0f);
        ASSERT_LE(orbit.rotation.z, 360.0f);
    }

    // An angle that passes 360 becomes 0 in the same step; one that lands on 360 stays.
    ParticleEmitter turning(Vector3(50, 0, 0), 1000000, Puff);
    turning.lifetime = 100000;
    turning.stepInterval = 20;
    turning.rotation = Vector3(0, 0, 357);
    turning.rotationSpeed = Vector3(0, 0, 3);
    advanceMs(21);
    ASSERT_TRUE(turning.update(nullptr));
    EXPECT_EQ(turning.rotation.z, 360.0f);
    EXPECT_NEAR(turning.position.x, 50.0f * std::cos(357.0f * 3.1415927f / 180.0f), 1e-3f);
    EXPECT_NEAR(turning.position.y, 50.0f * std::sin(357.0f * 3.1415927f / 180.0f), 1e-3f);
    advanceMs(21);
    ASSERT_TRUE(turning.update(nullptr));
    EXPECT_EQ(turning.rotation.z, 0.0f);  // 363 is reset, not wrapped to 3
    advanceMs(21);
    ASSERT_TRUE(turning.update(nullptr));
    // Placed as for angle 0, not for the 3 degrees a wrap would have kept.
    EXPECT_NEAR(turning.position.x, 50.0f, 1e-4f);
    EXPECT_NEAR(turning.position.y, 0.0f, 1e-4f);
    EXPECT_EQ(turning.rotation.z, 3.0f);
}

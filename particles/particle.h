// The particle hierarchy: textured, coloured squares aged in fixed steps by their own timers.
#pragma once
#include <cstdint>
#include <new>
#include <type_traits>

#include "math/vector.h"
#include "particles/timer.h"

enum ParticleKind { Puff = 0, Drift = 1, Rise = 2 };

class Particle {
public:
    Particle();
    Particle(const Particle&) = delete;
    Particle& operator=(const Particle&) = delete;

    // Advances by at most one step; an emitter may put a new particle into *spawned (null on entry).
    // False when the particle is dead and must be removed.
    virtual bool update(Particle** spawned) = 0;
    void draw() const;  // one +Z-facing quad around position, with texture and colour

    uint32_t texture = 0;       // GL texture name; 0 when no texture list was loaded
    int lifetime = 0;           // ms; dies when lifeTimer exceeds it
    int stepInterval = 0;       // ms; a step happens when stepTimer exceeds it
    float size = 0.0f;          // half the side of the drawn square
    float colour[4] = {};       // red, green, blue, alpha
    Vector3 position;           // centre of the square
    Vector3 rotation;           // degrees about X, Y, Z (emitters only)
    Vector3 rotationSpeed;      // degrees added per step (emitters only)
    Timer lifeTimer;            // started at birth
    Timer stepTimer;            // restarted at every step
    Particle* next = nullptr;
    Particle* prev = nullptr;

protected:
    // Particles own nothing, so the destructor stays trivial and non-virtual; they are freed
    // through freeParticle, never by delete on a base pointer.
    ~Particle() = default;

    enum class StepState { Dead, Waiting, Due };
    StepState stepState() const;  // lifetime first, then whether a step is due
    bool finishStep();            // after the per-step changes: dead below zero alpha, else restart
};

class PuffParticle : public Particle {
public:
    bool update(Particle** spawned) override;
};

class DriftParticle : public Particle {
public:
    bool update(Particle** spawned) override;
    float velocityX = 0.0f;  // units per step
    float velocityY = 0.0f;  // units per step
};

class RiseParticle : public Particle {
public:
    bool update(Particle** spawned) override;
};

// Every particle is one heap object of its concrete class; freeParticle releases the whole object
// whatever that class is (their destructors are all trivial, so only the storage is returned).
template <typename T, typename... Args>
T* allocateParticle(Args... args) {
    static_assert(std::is_trivially_destructible_v<T>, "particles hold no resources");
    return new (::operator new(sizeof(T))) T(args...);
}
void freeParticle(Particle* particle);

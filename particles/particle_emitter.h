// ParticleEmitter: a particle that circles the origin on its sphere and spawns particles of one kind.
#pragma once
#include "math/vector.h"
#include "particles/particle.h"
#include "particles/timer.h"

class ParticleEmitter : public Particle {
public:
    ParticleEmitter(Vector3 direction, int spawnInterval, int kind);
    bool update(Particle** spawned) override;

    Vector3 direction;   // the start position; rotated by rotation to give position
    Timer spawnTimer;    // restarted at every spawn
    int spawnInterval;   // ms between spawns
    int kind;            // ParticleKind of what it spawns

private:
    Particle* spawnOne() const;  // a new particle of kind at the emitter, or null for an unknown kind
};

// The emitter's step: spawn when the interval has passed, then move on the sphere by the rotation.
#include "particles/particle_emitter.h"

#include "math/matrix.h"
#include "particles/random.h"

ParticleEmitter::ParticleEmitter(Vector3 direction_, int spawnInterval_, int kind_)
    : direction(direction_), spawnInterval(spawnInterval_), kind(kind_) {}

Particle* ParticleEmitter::spawnOne() const {
    const int extra = static_cast<int>(randomUnit() * 150.0f + 100.0f);
    Particle* particle = nullptr;
    switch (kind) {
    case Puff:
        particle = allocateParticle<PuffParticle>();
        particle->stepInterval = 60;
        particle->lifetime = extra + 1200;
        break;
    case Drift: {
        const float velocityX = randomRange(-1.0f, 1.0f);
        const float velocityY = randomRange(2.0f, 2.0f);  // always 2, but the draw is still made
        DriftParticle* drift = allocateParticle<DriftParticle>();
        drift->velocityX = velocityX;
        drift->velocityY = velocityY;
        drift->stepInterval = 20;
        drift->lifetime = extra + 1000;
        particle = drift;
        break;
    }
    case Rise:
        particle = allocateParticle<RiseParticle>();
        particle->stepInterval = 20;
        particle->lifetime = extra + 1500;
        break;
    default:
        return nullptr;
    }
    particle->next = nullptr;
    particle->prev = nullptr;
    particle->size = 5.0f;
    for (int i = 0; i < 4; ++i) particle->colour[i] = colour[i];
    particle->position = position;
    particle->rotation = Vector3(0, 0, 0);
    particle->stepTimer.restart();
    particle->lifeTimer.restart();
    return particle;
}

bool ParticleEmitter::update(Particle** spawned) {
    if (lifeTimer.elapsedMs() > lifetime) return false;

    if (stepIsDue(spawnTimer, spawnInterval)) {
        Particle* particle = spawnOne();
        if (spawned && particle && !*spawned) {
            *spawned = particle;
        } else {
            freeParticle(particle);  // nowhere to put it: never leak it
        }
        moveOnOneStep(spawnTimer, spawnInterval);
    }

    if (stepIsDue(stepTimer, stepInterval)) {
        // Rx * Ry * Rz: the z rotation acts on the direction first.
        Matrix4 matrix;
        matrix.rotate(rotation.x, 1.0f, 0.0f, 0.0f);
        matrix.rotate(rotation.y, 0.0f, 1.0f, 0.0f);
        matrix.rotate(rotation.z, 0.0f, 0.0f, 1.0f);
        position = matrix.transformPoint(direction);
        rotation.x += rotationSpeed.x;
        rotation.y += rotationSpeed.y;
        rotation.z += rotationSpeed.z;
        // Past a full turn the angle restarts from 0 rather than wrapping.
        rotation.zeroOutsideRange(-360, 360);
        moveOnOneStep(stepTimer, stepInterval);
    }
    return true;
}

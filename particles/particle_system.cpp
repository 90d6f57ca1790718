// The particle list: emitters in at the head, spawned particles appended after each pass.
#include "particles/particle_system.h"

#include <cmath>
#include <cstdlib>

#include "particles/particle_emitter.h"
#include "particles/random.h"

ParticleSystem particleSystem;

namespace {
// Cleared at process exit too (after the shutdown's own clear), so nothing outlives the program.
void clearParticleSystemAtExit() { particleSystem.clear(); }
[[maybe_unused]] const int exitActionRegistered = std::atexit(clearParticleSystemAtExit);

// One of the list's names, chosen by the generator's raw value; 0 when the list has none.
uint32_t pickTexture(const TextureList& list) {
    if (!list.names || list.count <= 0) return 0;
    return list.names[std::rand() % list.count];
}
}  // namespace

int ParticleSystem::addHeadTexture(const char* path) { return headTextures.addTga(path); }

int ParticleSystem::addSmokeTexture(const char* path) { return smokeTextures.addTga(path); }

void ParticleSystem::addEmitter(Vector3 position, int lifetime) {
    float colour[4];
    colour[0] = randomUnit();
    colour[1] = randomUnit() * 0.5f;
    colour[2] = randomUnit();
    colour[3] = 1.0f;
    const int spawnInterval = 80 - static_cast<int>(randomUnit() * -20.0f + 10.0f);

    ParticleEmitter* emitter = allocateParticle<ParticleEmitter>(position, spawnInterval, static_cast<int>(Puff));
    for (int i = 0; i < 4; ++i) emitter->colour[i] = colour[i];
    emitter->prev = nullptr;
    emitter->next = head;
    emitter->lifetime = lifetime;
    emitter->stepInterval = 20;
    emitter->size = 5.0f;
    emitter->position = position;
    emitter->rotation = Vector3(0, 0, 0);
    emitter->rotationSpeed.z = randomUnit() * 4.0f - 2.0f;
    emitter->rotationSpeed.y = randomUnit() * 4.0f - 2.0f;
    emitter->rotationSpeed.x = randomUnit() * 4.0f - 2.0f;
    emitter->texture = pickTexture(headTextures);
    emitter->stepTimer.restart();
    emitter->lifeTimer.restart();

    if (head) head->prev = emitter;
    head = emitter;
}

void ParticleSystem::spawnRandomEmitter() {
    Vector3 direction;
    direction.x = randomUnit() * 200.0f - 100.0f;
    direction.y = randomUnit() * 200.0f - 100.0f;
    direction.z = randomUnit() * 200.0f - 100.0f;
    const float length = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
    if (length != 0.0f) direction = divide(direction, length);
    direction = Vector3(direction.x * 50.0f, direction.y * 50.0f, direction.z * 50.0f);
    const int lifetime = static_cast<int>((randomUnit() + 1.0f) * 5000.0f);
    addEmitter(direction, lifetime);
}

void ParticleSystem::updateAll() {
    Particle* spawned = nullptr;
    Particle* batch = nullptr;      // this pass's new particles, newest first
    Particle* lastAlive = nullptr;  // the list's last particle so far
    Particle* particle = head;
    while (particle) {
        Particle* const following = particle->next;
        if (particle->update(&spawned)) {
            lastAlive = particle;
        } else {
            // Unlink in both directions before the particle goes.
            if (following) following->prev = particle->prev;
            if (particle->prev) particle->prev->next = following;
            if (head == particle) head = following;
            freeParticle(particle);
        }
        if (spawned) {
            spawned->texture = pickTexture(smokeTextures);
            spawned->prev = nullptr;
            spawned->next = batch;
            if (batch) batch->prev = spawned;
            batch = spawned;
            spawned = nullptr;
        }
        particle = following;
    }
    // New particles are not updated in the pass that made them: they join behind the survivors.
    if (!batch) return;
    if (lastAlive) {
        lastAlive->next = batch;
        batch->prev = lastAlive;
    } else {
        head = batch;
    }
}

void ParticleSystem::clear() {
    headTextures.clear();
    smokeTextures.clear();
    Particle* particle = head;
    head = nullptr;
    while (particle) {
        Particle* const following = particle->next;
        freeParticle(particle);
        particle = following;
    }
}

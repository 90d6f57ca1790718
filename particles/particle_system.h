// The particle manager: one doubly linked list that owns every particle, and the two sprite lists.
#pragma once
#include "image/texture.h"
#include "math/vector.h"
#include "particles/particle.h"

struct ParticleSystem {
    TextureList headTextures;   // textures for emitters
    TextureList smokeTextures;  // textures for spawned particles
    Particle* head = nullptr;   // first particle of the list, null when empty

    int addHeadTexture(const char* path);   // TextureList::addTga's result
    int addSmokeTexture(const char* path);  // TextureList::addTga's result
    void addEmitter(Vector3 position, int lifetime);  // a kind-0 emitter at the head; lifetime in ms
    void spawnRandomEmitter();  // on the sphere of radius 50, living 5000 to 10000 ms
    void updateAll();           // one update each; the dead removed, the spawned appended at the end
    void clear();               // both texture lists and every particle; safe to repeat
};

// The demo's one particle system; empty until the start-up fills it, cleared again at process exit.
extern ParticleSystem particleSystem;

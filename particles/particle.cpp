// The three spawned particle kinds, their shared stepping rule, drawing, and how particles are freed.
#include "particles/particle.h"

#include "image/gl_api.h"
#include "particles/random.h"

Particle::Particle() : position(0, 0, 0), rotation(0, 0, 0), rotationSpeed(0, 0, 0) {}

Particle::StepState Particle::stepState() const {
    if (lifeTimer.elapsedMs() > lifetime) return StepState::Dead;
    if (!stepIsDue(stepTimer, stepInterval)) return StepState::Waiting;
    return StepState::Due;
}

bool Particle::finishStep() {
    // A faded-out particle dies at once; its step timer is left as it was.
    if (colour[3] < 0.0f) return false;
    moveOnOneStep(stepTimer, stepInterval);
    return true;
}

bool PuffParticle::update(Particle**) {
    const StepState state = stepState();
    if (state != StepState::Due) return state == StepState::Waiting;
    size += 0.6f;
    colour[0] += 0.03f;
    colour[1] += 0.03f;
    colour[2] += 0.03f;
    colour[3] -= 0.05f;
    return finishStep();
}

bool DriftParticle::update(Particle**) {
    const StepState state = stepState();
    if (state != StepState::Due) return state == StepState::Waiting;
    position.x += velocityX;
    position.y += velocityY;
    size += 0.3f;
    colour[0] += 0.02f;
    colour[1] += 0.02f;
    colour[2] += 0.02f;
    colour[3] -= 0.02f;
    return finishStep();
}

bool RiseParticle::update(Particle**) {
    const StepState state = stepState();
    if (state != StepState::Due) return state == StepState::Waiting;
    position.y = position.y + 1.0f + randomUnit();
    size += 0.3f;
    colour[0] += 0.01f;
    colour[1] += 0.01f;
    colour[2] += 0.01f;
    colour[3] -= 0.02f;
    return finishStep();
}

void Particle::draw() const {
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(colour[0], colour[1], colour[2], colour[3]);
    const float x = position.x;
    const float y = position.y;
    const float z = position.z;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(x - size, y - size, z);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(x + size, y - size, z);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(x + size, y + size, z);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(x - size, y + size, z);
    glEnd();
}

void freeParticle(Particle* particle) {
    if (!particle) return;
    // The most-derived object's address is the one operator new returned.
    ::operator delete(dynamic_cast<void*>(particle));
}

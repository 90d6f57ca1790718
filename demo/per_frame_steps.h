// The steps of the effects that move once a frame: the opening logo's zoom and scene 2's spin. They were
// made on a 60 Hz display; a frame of any other length takes what the 60 Hz frames over its span of
// demo time would have taken (`frames`, from referenceFrames), so every display rate and every capture
// rate shows the same demo. With frames exactly 1 each is the original step, bit for bit.
#pragma once

// The 60 Hz frames of a frame's span that fall after an effect began sinceStartMs ago: a long frame
// (a stall) does not count the time before the start. At least one, since the first frame after the
// start always took a whole step.
float framesSinceStart(float frames, double sinceStartMs);

// The opening logo's scale after one more frame, sinceStartMs after it began to grow: 0.015 per 60 Hz
// frame.
float logoZoomAfterFrame(float zoom, float frames, double sinceStartMs);

// The whole degrees scene 2's module and spiral turn this frame: 3 per 60 Hz frame (a 60 Hz frame's
// 3.33 degrees, cut to whole degrees). The fraction a frame cannot take waits in carry for the next,
// so no rate loses any turn and none stands still.
int takeWholeSpinDegrees(float& carry, float frames);

// The 60 Hz frames this frame completes, counting fractions of earlier frames kept in carry: 1 for every
// frame of a 60 Hz run, 1 for every fourth at 240 Hz, 2 at 30.
int takeWholeReferenceFrames(float& carry, float frames);

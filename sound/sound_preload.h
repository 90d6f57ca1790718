// Decoding a long sample on a worker thread while the rest of the demo loads.
#pragma once
#include "sound/sound_decoder.h"

// Starts decoding path on a worker thread (or, if no thread can be made, leaves it for the load to do).
// One file at a time: a second call first discards the previous preload.
void preloadSoundFile(const char* path);

// When path is the file being preloaded: waits for the worker, moves its result into out, sets decoded
// to the decoder's result and returns true. Otherwise returns false and leaves out alone.
bool takePreloadedSound(const char* path, DecodedSound& out, bool& decoded);

// Waits for a worker still running and frees what it decoded (a failed start, or a file never loaded).
void discardPreloadedSounds();

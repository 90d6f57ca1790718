// The music "ikarie.mp3": renders any stretch of the piece into a stereo buffer, the same samples on
// every run.
#pragma once
#include "audio/dsp.h"

// Length of the piece in seconds.
double musicLength();

// Frames [start, end) of the piece, seconds clamped to its length; empty when the range is empty.
// Notes, echoes and reverb that began before start sound as they would in the whole piece (the effects
// run from a few seconds earlier), so windows can be checked without rendering five minutes.
StereoBuffer renderMusic(double startSeconds, double endSeconds);

// Video through ffmpeg: frames are piped as raw RGB while the run goes on, the sound is muxed at the end.
#pragma once
#include <cstdio>
#include <string>

#include "image/png_file.h"

bool ffmpegAvailable();

struct VideoPipe {
    FILE* pipe = nullptr;
    std::string silentVideoPath;   // the frames alone, muxed with the sound by finishVideo
};

bool openVideoPipe(VideoPipe& video, const std::string& finalPath, int width, int height, int fps);
bool writeVideoFrame(VideoPipe& video, const RgbPicture& frame);
// Closes the pipe and muxes the frames with the WAV at audioPath (none when empty) into finalPath.
bool finishVideo(VideoPipe& video, const std::string& finalPath, const std::string& audioPath);

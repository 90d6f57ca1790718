// ffmpeg runs as a child process; paths are passed single-quoted with quotes escaped.
#include "video_pipe.h"

#include <cstdlib>

namespace {
std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
}  // namespace

bool ffmpegAvailable() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

bool openVideoPipe(VideoPipe& video, const std::string& finalPath, int width, int height, int fps) {
    video.silentVideoPath = finalPath + ".frames.mkv";
    const std::string command = "ffmpeg -y -loglevel error -f rawvideo -pix_fmt rgb24 -s " + std::to_string(width) +
                                "x" + std::to_string(height) + " -r " + std::to_string(fps) +
                                " -i - -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p " +
                                shellQuote(video.silentVideoPath);
    video.pipe = popen(command.c_str(), "w");
    return video.pipe != nullptr;
}

bool writeVideoFrame(VideoPipe& video, const RgbPicture& frame) {
    if (!video.pipe) return false;
    return std::fwrite(frame.pixels.data(), 1, frame.pixels.size(), video.pipe) == frame.pixels.size();
}

bool finishVideo(VideoPipe& video, const std::string& finalPath, const std::string& audioPath) {
    if (!video.pipe) return false;
    const bool framesOk = pclose(video.pipe) == 0;
    video.pipe = nullptr;
    std::string command = "ffmpeg -y -loglevel error -i " + shellQuote(video.silentVideoPath);
    if (!audioPath.empty()) command += " -i " + shellQuote(audioPath) + " -c:a aac -b:a 192k";
    command += " -c:v copy -movflags +faststart " + shellQuote(finalPath);
    const bool muxOk = framesOk && std::system(command.c_str()) == 0;
    std::remove(video.silentVideoPath.c_str());
    return muxOk;
}

// ffmpeg as a child process: fork and exec with an argument vector (no shell), the frames on its
// standard input and the sound on descriptor 3.
#include "video_encoder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

volatile std::sig_atomic_t videoEncoderPid = -1;

namespace {
bool writeAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void addAll(std::vector<std::string>& args, std::initializer_list<std::string> more) {
    args.insert(args.end(), more);
}

void writeSoundChunks(VideoEncoder* video) {
    for (;;) {
        std::vector<int16_t> chunk;
        {
            std::unique_lock lock(video->soundMutex);
            video->soundReady.wait(lock, [&] { return !video->soundChunks.empty() || video->soundClosing; });
            if (video->soundChunks.empty()) return;
            chunk = std::move(video->soundChunks.front());
            video->soundChunks.pop_front();
        }
        // After a failed write the rest is dropped; ffmpeg's exit status tells what happened.
        if (video->soundFd >= 0 && !writeAll(video->soundFd, chunk.data(), chunk.size() * sizeof(int16_t))) {
            close(video->soundFd);
            video->soundFd = -1;
        }
    }
}

[[noreturn]] void execFfmpeg(const std::vector<std::string>& args, int videoRead, int soundRead) {
    setpgid(0, 0);   // away from the terminal's process group: Ctrl+C is ours to handle
    dup2(videoRead, 0);
    if (soundRead >= 0) dup2(soundRead, 3);
    for (int fd = 4; fd < 1024; ++fd) close(fd);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    std::fprintf(stderr, "halvex-capture: cannot run ffmpeg\n");
    _exit(127);
}
}  // namespace

bool ffmpegAvailable() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

int webGopFrames(const FrameRate& fps) {
    const int64_t half = (fps.num + fps.den) / (2 * fps.den);   // num / (2 den), rounded half up
    return static_cast<int>(half < 1 ? 1 : half);
}

std::vector<std::string> ffmpegArguments(VideoPreset preset, const std::string& path, int width, int height,
                                         const FrameRate& fps, int sampleRate) {
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
    // Both inputs are fully described, so ffmpeg need not look ahead into them: probing the sound for
    // its usual 5 s would wait for sound not yet mixed, while the frames that would make it wait unread.
    const std::initializer_list<std::string> noProbing = {"-probesize", "32", "-analyzeduration", "0"};
    addAll(args, noProbing);
    addAll(args, {"-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size",
                  std::to_string(width) + "x" + std::to_string(height), "-framerate", frameRateText(fps),
                  "-thread_queue_size", "64", "-i", "pipe:0"});
    if (sampleRate > 0) addAll(args, noProbing);
    if (sampleRate > 0)
        addAll(args, {"-f", "s16le", "-ar", std::to_string(sampleRate), "-ac", "2", "-thread_queue_size", "1024",
                      "-i", "pipe:3", "-map", "0:v", "-map", "1:a"});
    if (preset == VideoPreset::web) {
        const std::string gop = std::to_string(webGopFrames(fps));
        // Key frames exactly every GOP (none at scene cuts), GOPs closed, BT.709 as HD players assume;
        // veryfast keeps the encoder near the renderer's pace, crf 16 keeps enough for a site that re-encodes.
        addAll(args, {"-c:v", "libx264", "-profile:v", "high", "-preset", "veryfast", "-crf", "16",
                      "-vf", "scale=out_color_matrix=bt709:out_range=tv", "-pix_fmt", "yuv420p",
                      "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
                      "-color_range", "tv", "-g", gop, "-keyint_min", gop, "-sc_threshold", "0",
                      "-flags", "+cgop", "-bf", "2"});
        if (sampleRate > 0) addAll(args, {"-c:a", "aac", "-profile:a", "aac_low", "-b:a", "256k", "-ar", "48000"});
        addAll(args, {"-movflags", "+faststart", "-f", "mp4", path});
    } else {
        // FFV1 version 3 keeps RGB exactly (bgr0 holds the three channels unchanged), every frame a key frame.
        addAll(args, {"-c:v", "ffv1", "-level", "3", "-g", "1", "-slices", "4", "-slicecrc", "1", "-pix_fmt", "bgr0"});
        if (sampleRate > 0) addAll(args, {"-c:a", "flac"});
        addAll(args, {"-f", "matroska", path});
    }
    return args;
}

bool startVideoEncoder(VideoEncoder& video, const CaptureOptions& options, const std::string& path, bool withSound) {
    int videoPipe[2] = {-1, -1}, soundPipe[2] = {-1, -1};
    if (pipe2(videoPipe, O_CLOEXEC) != 0 || (withSound && pipe2(soundPipe, O_CLOEXEC) != 0)) {
        std::fprintf(stderr, "halvex-capture: cannot make a pipe to ffmpeg\n");
        return false;
    }
    const auto args = ffmpegArguments(options.preset, path, options.width, options.height, options.fps,
                                      withSound ? options.sampleRate : 0);
    const pid_t pid = fork();
    if (pid == 0) execFfmpeg(args, videoPipe[0], soundPipe[0]);   // dup2 clears close-on-exec on 0 and 3
    close(videoPipe[0]);
    if (soundPipe[0] >= 0) close(soundPipe[0]);
    if (pid < 0) {
        close(videoPipe[1]);
        if (soundPipe[1] >= 0) close(soundPipe[1]);
        std::fprintf(stderr, "halvex-capture: cannot start ffmpeg\n");
        return false;
    }
    setpgid(pid, pid);   // also from this side, so it holds before the child runs
    video.pid = pid;
    videoEncoderPid = pid;
    video.videoFd = videoPipe[1];
    video.soundFd = soundPipe[1];
    if (withSound) video.soundWriter = std::thread(writeSoundChunks, &video);
    return true;
}

bool writeVideoFrame(VideoEncoder& video, const RgbPicture& frame) {
    if (video.videoFd < 0) return false;
    if (!writeAll(video.videoFd, frame.pixels.data(), frame.pixels.size())) {
        video.ok = false;
        close(video.videoFd);
        video.videoFd = -1;
        return false;
    }
    return true;
}

void writeVideoSound(VideoEncoder& video, const int16_t* interleaved, int frames) {
    if (!video.soundWriter.joinable() || frames <= 0) return;
    {
        std::lock_guard lock(video.soundMutex);
        video.soundChunks.emplace_back(interleaved, interleaved + 2 * static_cast<size_t>(frames));
    }
    video.soundReady.notify_one();
}

bool finishVideoEncoder(VideoEncoder& video) {
    if (video.pid < 0) return false;
    if (video.videoFd >= 0) close(video.videoFd);
    video.videoFd = -1;
    if (video.soundWriter.joinable()) {
        {
            std::lock_guard lock(video.soundMutex);
            video.soundClosing = true;
        }
        video.soundReady.notify_one();
        video.soundWriter.join();
    }
    if (video.soundFd >= 0) close(video.soundFd);
    video.soundFd = -1;
    int status = 0;
    while (waitpid(video.pid, &status, 0) < 0 && errno == EINTR) {
    }
    video.pid = -1;
    videoEncoderPid = -1;
    return video.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The writer thread owns the contact sheet and the video pipe while it runs; the render loop only
// hands it pixels.
#include "frame_writer.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "supersample.h"

namespace {
std::string sheetLabel(double ms) {
    char label[32];
    std::snprintf(label, sizeof label, "%.1f S", ms / 1000.0);
    return label;
}

void collectPngWrites(FrameWriter& writer, size_t keep) {
    while (writer.pngWrites.size() > keep) {
        if (!writer.pngWrites.front().get()) writer.ok = false;
        writer.pngWrites.pop_front();
    }
}

void writeJob(FrameWriter& writer, const FrameJob& job) {
    auto picture = std::make_shared<RgbPicture>();
    averageBlocks(job.bottomFirst, writer.width, writer.height, writer.supersample, *picture);
    if (job.sheet && writer.sheet) addThumbnail(*writer.sheet, *picture, sheetLabel(job.ms));
    if (job.video && writer.video && !writeVideoFrame(*writer.video, *picture)) writer.ok = false;
    if (job.png) {
        collectPngWrites(writer, pngEncodersAtOnce - 1);
        const std::string path = writer.outDir + "/" + frameFileName(job.ms);
        writer.pngWrites.push_back(std::async(std::launch::async, [path, picture] { return writePng(path, *picture); }));
    }
}

void writeFrames(FrameWriter* writer) {
    for (;;) {
        FrameJob job;
        {
            std::unique_lock lock(writer->mutex);
            writer->changed.wait(lock, [&] { return !writer->jobs.empty() || writer->closing; });
            if (writer->jobs.empty()) {
                lock.unlock();
                collectPngWrites(*writer, 0);
                return;
            }
            job = std::move(writer->jobs.front());
        }
        writeJob(*writer, job);
        {
            // The job leaves the queue only when written, so the count bounds the frames held.
            std::lock_guard lock(writer->mutex);
            writer->jobs.pop_front();
        }
        writer->changed.notify_all();
    }
}
}  // namespace

std::string frameFileName(double ms) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%07lld.png", static_cast<long long>(std::llround(ms)));
    return name;
}

void startFrameWriter(FrameWriter& writer) { writer.thread = std::thread(writeFrames, &writer); }

void queueFrame(FrameWriter& writer, FrameJob job) {
    std::unique_lock lock(writer.mutex);
    writer.changed.wait(lock, [&] { return writer.jobs.size() < framesInFlight; });
    writer.jobs.push_back(std::move(job));
    lock.unlock();
    writer.changed.notify_all();
}

bool finishFrameWriter(FrameWriter& writer) {
    if (writer.thread.joinable()) {
        {
            std::lock_guard lock(writer.mutex);
            writer.closing = true;
        }
        writer.changed.notify_all();
        writer.thread.join();
    }
    return writer.ok;
}

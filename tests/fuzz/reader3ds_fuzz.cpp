// libFuzzer target for the 3DS reader: any bytes as a file, read from memory; the model that results
// must keep its counts equal to its arrays and its names terminated.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_checks.h"
#include "services/message_box.h"
#include "model/reader3ds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    setMessageBoxSink(ignoreMessage);
    std::FILE* stream = openInput(data, size);
    if (!stream) return 0;
    Model3ds model;
    Reader3ds reader;
    reader.importStream(model, stream, "fuzz.3ds");   // the reader closes the stream
    checkModel(model);
    return 0;
}

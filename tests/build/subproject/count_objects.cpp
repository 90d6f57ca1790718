// Prints the number of objects and vertices of a 3DS file, read with Halvex's reader.
#include <cstdio>

#include "services/message_box.h"
#include "model/model3ds.h"
#include "model/reader3ds.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    setMessageBoxSink(printMessageBoxToStderr);
    Model3ds model;
    Reader3ds reader;
    reader.import(model, argv[1]);
    long vertices = 0;
    for (int i = 0; i < model.objectCount; ++i) vertices += model.objects[i].vertexCount;
    std::printf("%d objects, %ld vertices\n", model.objectCount, vertices);
    return model.objectCount > 0 ? 0 : 1;
}

// A contact sheet: thumbnails of chosen frames in a grid, each labelled with its demo time.
#pragma once
#include <string>

#include "image/png_file.h"

struct ContactSheet {
    int columns = 6;
    int thumbWidth = 0, thumbHeight = 0;   // pixels
    int labelHeight = 14;                  // pixels under each thumbnail
    int count = 0;                         // thumbnails placed so far
    RgbPicture picture;
};

// Prepares a sheet for `capacity` thumbnails of frames of the given size.
void startContactSheet(ContactSheet& sheet, int capacity, int frameWidth, int frameHeight);

// Adds the next thumbnail (a box-filtered copy of the frame) with its label; ignored when full.
void addThumbnail(ContactSheet& sheet, const RgbPicture& frame, const std::string& label);

// Draws text in a 5 x 7 pixel font (digits, letters, ". : - /" and space) at (x, y), top left.
void drawLabel(RgbPicture& picture, int x, int y, const std::string& text);

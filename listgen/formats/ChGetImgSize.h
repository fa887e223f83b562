// Recognises JPEG and GIF files by their bytes alone and reads their pixel
// size, a short type text, for JPEG the EXIF orientation and, for GIF, the
// animation loop mark. Reads a few header bytes, the start of the Exif
// segment and the last two bytes (with AcceptDeclaredTrailers, for a JPEG
// that does not end with FF D9, also its XMP packet and its last 64 KiB);
// never decodes pixels.
#pragma once

#include <cstdint>
#include <string>

#include "listgen/formats/ProbeSource.h"

namespace htmlimglist {

class ChGetImgSize {
public:
    // Identifier of the last APP0/APP1 segment before the frame header (at
    // most 8 bytes, "JFIF", "Exif"), then "1" for SOF1 or "2" for SOF2.
    char JpegType[20] = {};
    // The first six bytes of a GIF file ("GIF89a").
    char GifVersion[20] = {};
    // "NETSCAPE2.0" or "ANIMEXTS1.0" when a GIF carries a loop extension.
    char AnimationId[20] = {};
    // EXIF orientation of a JPEG (1 to 8), from tag 0x0112 in IFD0 of the
    // first APP1 segment that carries Exif data. 1 when there is none, when
    // that block is damaged, and for GIF.
    int Orientation = 1;
    // Bytes of ICC profile a JPEG's APP2 "ICC_PROFILE" segments before its
    // first scan hold, all parts together, when the parts are whole (each
    // number from 1 to their count once, as libjpeg needs them); 0 for none,
    // for parts missing, and for GIF.
    int64_t IccProfileBytes = 0;
    // With MoreImageTypes: a JPEG whose JPEG part still ends with its
    // end-of-image marker is recognised although more bytes follow, when
    // its own metadata declares them (a motion photo's video or a gain map
    // listed in its XMP packet, a Samsung SEF trailer) or they are only zero
    // or 0xFF padding (see JpegTrailer.h). Off: the file's last two bytes
    // must be FF D9.
    bool AcceptDeclaredTrailers = false;
    // With ReadDateTaken, a JPEG's DateTimeOriginal from the same Exif
    // segment ("YYYY:MM:DD HH:MM:SS"; empty when it has none).
    bool ReadDateTaken = false;
    std::string DateTaken;

    // Each returns true when the file is of its kind, with width and height
    // (each 0 to 65535, as the two formats store them) set. A file that is not regular or cannot be read gives
    // false. After false the out-parameters and texts are not meaningful.
    bool GetJpegSize(const std::string& fileName, int32_t& width, int32_t& height);
    bool GetGifSize(const std::string& fileName, int32_t& width, int32_t& height);

    // The same probes on bytes already at hand; a file is opened once and
    // each format's probe reads it there.
    bool GetJpegSize(ProbeSource& source, int32_t& width, int32_t& height);
    bool GetGifSize(ProbeSource& source, int32_t& width, int32_t& height);
};

}  // namespace htmlimglist

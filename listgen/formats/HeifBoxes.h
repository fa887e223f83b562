// The header probe of HEIF files (HEIC, AVIF): a bounded walk over their
// ISO base media file format boxes that finds the primary image, its
// displayed size and whether the file holds more than one picture. Works on
// a ProbeSource alone, so the tests, the fuzzer and the decoder's own check
// before libheif sees a byte all feed it the same way.
//
// A box: 32-bit big-endian size (1: a 64-bit size follows the type; 0: to
// the end of its parent), a four-character type, the payload. A "full box"
// starts its payload with a version byte and 24 bits of flags. The walk:
//   ftyp  major brand, minor version, compatible brands
//   meta  (full box) hdlr ("pict"), pitm (the primary item's ID),
//         iinf/infe (each item's ID, type and hidden flag),
//         iref (dimg: a derived image's inputs; thmb, auxl: thumbnails and
//         auxiliary images), iprp/ipco (the properties, numbered from 1) and
//         ipma (which properties each item has, in order)
// The colour: colr, either an ICC profile (prof, rICC) or numbers (nclx:
// primaries, transfer, matrix, range).
// The displayed size is ispe, with clap cropping it and irot 90/270
// swapping it in the order ipma lists them (as libheif's decode applies
// them, so the probe and the decoded picture agree).
//
// Every box length is checked against its parent and the file, the walk
// stops after kMaxBoxes box headers, ftyp must end within the first
// kHeadBytes, and of the rest only top-level box headers and the boxes of
// meta that tell the primary image are read.
#pragma once

#include <cstdint>

#include "listgen/formats/ProbeSource.h"

namespace htmlimglist {

enum class HeifFamily {
    Heic,  // HEVC-coded, or a derived image in a file without an AVIF brand
    Avif,  // AV1-coded, or a derived image in a file with an AVIF brand
};

enum class HeifVerdict {
    NotHeif,      // no ftyp with a HEIF or AVIF brand
    Recognised,   // a primary image with a size
    Damaged,      // the brands are there, the boxes are not sane
    OtherCoding,  // a sane file whose primary image is coded otherwise (JPEG, VVC, uncompressed, ...)
};

struct HeifHeader {
    HeifVerdict verdict = HeifVerdict::NotHeif;
    HeifFamily family = HeifFamily::Heic;
    int32_t width = 0;  // displayed: after clap and irot
    int32_t height = 0;
    // An image sequence brand (msf1, avis), or more than one top-level image
    // (not a thumbnail, auxiliary image, tile or hidden item).
    bool animated = false;
    // The primary image's colr gives an ICC profile (prof, rICC) of at most
    // kMaxColourProfileBytes, or an nclx description with P3 or BT.2020 primaries.
    bool colourProfile = false;
};

inline constexpr int kMaxBoxes = 4096;
inline constexpr int64_t kHeadBytes = 256 * 1024;

HeifHeader ProbeHeifBoxes(ProbeSource& source);

}  // namespace htmlimglist

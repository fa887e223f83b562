#include "support/VideoFixtures.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <map>
#include <mutex>

#include "support/TempDir.h"

namespace htmlimglist::test {
namespace {

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string Key(const ClipRecipe& r) {
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "@" + std::to_string(r.rate) + "/" +
           std::to_string(r.frames) + "/" + std::to_string(r.keyEvery) + "/" + r.codec + "/" + r.container + "/" +
           (r.faststart ? "fast" : "slow") + "/" + std::to_string(r.rotate);
}

}  // namespace

const std::string& Clip(const ClipRecipe& r) {
    static std::mutex lock;
    static std::map<std::string, std::string> made;
    const std::lock_guard<std::mutex> hold(lock);
    std::string& bytes = made[Key(r)];
    if (!bytes.empty()) return bytes;
    TempDir dir;
    const std::string out = dir / ("clip." + r.container);
    const std::string key = std::to_string(r.keyEvery);
    // The test pattern comes in even sizes; an odd one is scaled to.
    std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=" + std::to_string(r.width + 1) +
                          "x" + std::to_string(r.height + 1) + ":rate=" + std::to_string(r.rate) + " -vf scale=" +
                          std::to_string(r.width) + ":" + std::to_string(r.height) + " -frames:v " +
                          std::to_string(r.frames) + " -pix_fmt yuv420p -threads 1";
    if (r.codec == "vp9") {
        command += " -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -g " + key + " -keyint_min " + key;
    } else {
        // No key frames at scene changes: only every keyEvery frames.
        command += " -c:v libx264 -g " + key + " -keyint_min " + key + " -sc_threshold 0";
    }
    if (r.faststart && r.container != "webm") command += " -movflags +faststart";
    command += " -f " + r.container + " " + out;
    // The rotation is recorded as the stream is copied (an encode drops it).
    const std::string turned = dir / ("turned." + r.container);
    if (r.rotate != 0) {
        command += " && ffmpeg -nostdin -v error -y -i " + out + " -c copy -metadata:s:v:0 rotate=" +
                   std::to_string(r.rotate) + (r.faststart ? " -movflags +faststart" : "") + " -f " + r.container +
                   " " + turned;
    }
    if (!Run(command)) {
        ADD_FAILURE() << "ffmpeg could not make the clip: " << command;
        return bytes;
    }
    bytes = ReadFile(r.rotate != 0 ? turned : out);
    return bytes;
}

Bitmap FfmpegFrame(const std::string& path, int index, int width, int height) {
    TempDir dir;
    const std::string out = dir / "frame.rgb";
    const std::string command = "ffmpeg -nostdin -v error -y -i " + path + " -vf 'select=eq(n\\," +
                                std::to_string(index) + ")' -fps_mode passthrough -frames:v 1 -pix_fmt rgb24 -f rawvideo " +
                                out;
    if (!Run(command)) {
        ADD_FAILURE() << "ffmpeg could not decode: " << command;
        return Bitmap();
    }
    const std::string rgb = ReadFile(out);
    if (rgb.size() != std::size_t(width) * std::size_t(height) * 3) {
        ADD_FAILURE() << "ffmpeg gave " << rgb.size() << " bytes, not a frame of " << width << " x " << height;
        return Bitmap();
    }
    Bitmap frame(width, height);
    for (int y = 0; y < height; ++y)
        std::copy_n(rgb.data() + std::size_t(y) * width * 3, std::size_t(width) * 3, frame.Row(y));
    return frame;
}

std::string Be16(uint32_t v) { return {char(v >> 8), char(v)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }
std::string Be64(uint64_t v) { return Be32(uint32_t(v >> 32)) + Be32(uint32_t(v)); }

std::string Box(std::string_view type, std::string_view payload) {
    return Be32(uint32_t(8 + payload.size())) + std::string(type) + std::string(payload);
}

std::string FullBox(std::string_view type, int version, std::string_view payload) {
    return Box(type, std::string(1, char(version)) + std::string(3, '\0') + std::string(payload));
}

std::string IsoTrak(const IsoRecipe& r, std::string_view handler) {
    std::string matrix;
    for (int32_t v : {r.matrix[0], r.matrix[1], 0, r.matrix[2], r.matrix[3], 0, 0, 0, 0x40000000})
        matrix += Be32(uint32_t(v));
    const std::string tail = std::string(8, '\0') + std::string(8, '\0') + matrix + Be32(r.width) + Be32(r.height);
    const std::string tkhd = r.tkhdVersion == 0
                                 ? FullBox("tkhd", 0, Be32(0) + Be32(0) + Be32(1) + Be32(0) + Be32(0) + tail)
                                 : FullBox("tkhd", 1, Be64(0) + Be64(0) + Be32(1) + Be32(0) + Be64(0) + tail);
    const std::string mdhd =
        r.mdhdVersion == 0
            ? FullBox("mdhd", 0, Be32(0) + Be32(0) + Be32(r.timeScale) + Be32(uint32_t(r.duration)) + Be32(0))
            : FullBox("mdhd", 1, Be64(0) + Be64(0) + Be32(r.timeScale) + Be64(r.duration) + Be32(0));
    const std::string hdlr = FullBox("hdlr", 0, Be32(0) + std::string(handler) + std::string(13, '\0'));
    // A visual sample entry: 6 reserved, data reference index, 16 bytes,
    // width, height, then the rest (resolution, frame count, name, depth).
    const std::string entry = Box("avc1", std::string(6, '\0') + Be16(1) + std::string(16, '\0') +
                                              Be16(r.codedWidth) + Be16(r.codedHeight) + std::string(50, '\0'));
    const std::string stbl = Box("stbl", FullBox("stsd", 0, Be32(1) + entry) + FullBox("stts", 0, Be32(0)) +
                                             FullBox("stsc", 0, Be32(0)) + FullBox("stsz", 0, Be32(0) + Be32(0)) +
                                             FullBox("stco", 0, Be32(0)));
    const std::string minf = Box("minf", FullBox("vmhd", 0, std::string(8, '\0')) + stbl);
    return Box("trak", tkhd + Box("mdia", mdhd + hdlr + minf));
}

std::string IsoVideo(const IsoRecipe& r) {
    const std::string ftyp = Box("ftyp", r.major + Be32(0x200) + r.compatible);
    std::string mvhd = Be32(0) + Be32(0) + Be32(r.timeScale) + Be32(uint32_t(r.duration)) + Be32(0x10000) +
                       Be16(0x100) + std::string(10, '\0');
    for (int32_t v : {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000}) mvhd += Be32(uint32_t(v));
    mvhd += std::string(24, '\0') + Be32(2);
    std::string traks;
    for (int i = 0; i < r.handlerTracks - 1; ++i) traks += IsoTrak(r, "soun");
    traks += IsoTrak(r, r.handler);
    const std::string moov = Box("moov", FullBox("mvhd", 0, mvhd) + traks);
    const std::string mdat = Box("mdat", std::string(r.mediaBytes, '\0'));
    return r.moovLast ? ftyp + mdat + moov : ftyp + moov + mdat;
}

std::string EbmlId(uint32_t id) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        if ((id >> shift) != 0) bytes += char((id >> shift) & 0xFF);
    return bytes;
}

namespace {
std::string SizeVint(uint64_t size) {
    int length = 1;
    while (length < 8 && size >= (uint64_t(1) << (7 * length)) - 1) ++length;
    std::string bytes(std::size_t(length), '\0');
    for (int i = length - 1; i >= 0; --i, size >>= 8) bytes[std::size_t(i)] = char(size & 0xFF);
    bytes[0] = char(uint8_t(bytes[0]) | (0x80 >> (length - 1)));
    return bytes;
}
}  // namespace

std::string Ebml(uint32_t id, std::string_view data) { return EbmlId(id) + SizeVint(data.size()) + std::string(data); }

std::string EbmlUnknownSize(uint32_t id, std::string_view data) {
    return EbmlId(id) + "\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF" + std::string(data);
}

std::string EbmlUnsigned(uint32_t id, uint64_t value) {
    std::string bytes;
    do {
        bytes.insert(bytes.begin(), char(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    return Ebml(id, bytes);
}

std::string EbmlFloat(uint32_t id, double value) { return Ebml(id, Be64(std::bit_cast<uint64_t>(value))); }

std::string MatroskaVideo(const MatroskaRecipe& r) {
    const std::string header = Ebml(0x1A45DFA3, EbmlUnsigned(0x4286, 1) + Ebml(0x4282, r.docType) +
                                                    EbmlUnsigned(0x4287, 4) + EbmlUnsigned(0x4285, 2));
    const std::string info =
        Ebml(0x1549A966, EbmlUnsigned(0x2AD7B1, r.timestampScale) + (r.duration >= 0 ? EbmlFloat(0x4489, r.duration) : ""));
    std::string video = EbmlUnsigned(0xB0, r.pixelWidth) + EbmlUnsigned(0xBA, r.pixelHeight);
    if (r.displayWidth > 0) video += EbmlUnsigned(0x54B0, r.displayWidth);
    if (r.displayHeight > 0) video += EbmlUnsigned(0x54BA, r.displayHeight);
    if (r.displayUnit >= 0) video += EbmlUnsigned(0x54B2, uint64_t(r.displayUnit));
    const std::string entry = Ebml(0xAE, EbmlUnsigned(0xD7, 1) + EbmlUnsigned(0x83, r.trackType) +
                                             Ebml(0x86, "V_VP9") + Ebml(0xE0, video));
    const std::string tracks = r.unknownTracksSize ? EbmlUnknownSize(0x1654AE6B, entry) : Ebml(0x1654AE6B, entry);
    const std::string cluster = Ebml(0x1F43B675, EbmlUnsigned(0xE7, 0) + std::string(r.clusterBytes, '\0'));
    const std::string body = (r.tracksFirst ? tracks + info : info + tracks) + cluster;
    return header + (r.unknownSegmentSize ? EbmlUnknownSize(0x18538067, body) : Ebml(0x18538067, body));
}

}  // namespace htmlimglist::test

// The poster frame of a video, through FFmpeg's libraries.
//
// The bytes reach FFmpeg through an I/O context of ours, over a file we
// opened (regular files only) or over bytes in memory, and only the
// demuxer our own probe chose reads them: no format guessing, and no other
// file or URL is ever opened on the file's say (external data references,
// playlists). The reads count against the bounds; they and FFmpeg's
// interrupt callback end the work once the cancel flag is set, the time is
// up or the read budget is spent.
//
// The frame: seek back to the poster time, then read the video stream's
// packets forward to the first key frame whose presentation time is at or
// after it (once past that time, the index skips ahead to the next key
// frame, so a long group of pictures is not read through); at the end of
// the stream, the last key frame before it. That one packet is decoded on
// its own (a key frame needs no other), by one decoder in one thread: the
// pipeline already runs one decode per job.
//
// The turn: the display matrix is mapped to the EXIF orientation the
// reducer knows and composed with the target's, so the poster stands as
// players show the video, whatever AutoRotate says (the header's size is
// the displayed one, turn included). The frame is converted to RGB whole
// (as a player converts it) and its rows handed to a RowReducer.
#include "listgen/formats/VideoPoster.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "listgen/formats/VideoProbe.h"
#include "platform/RegularFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

namespace htmlimglist {

int64_t PosterTimeMs(int64_t durationMs) {
    constexpr int64_t kPosterMs = 1000, kShortClipMs = 10000;
    return durationMs >= 0 && durationMs < kShortClipMs ? durationMs / 10 : kPosterMs;
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kIoBufferSize = 64 * 1024;
// Packets of the video stream read in search of the key frame, and jumps
// ahead by the index, before the search gives up.
constexpr int kMaxPackets = 100000;
constexpr int kMaxSkips = 8;
// Bytes a decode holds per pixel of the frame, asked of the run's shared
// budget.
constexpr int kHeldBytesPerPixel = 6;
// The largest single block FFmpeg's libraries may allocate: room for a
// plane of the largest frame at 16 bits a sample, far below what a damaged
// file can make them ask for.
constexpr std::size_t kMaxFfmpegAllocation = std::size_t(256) << 20;
// The RGB frame's rows start on this boundary, and the bytes after its last
// row that the conversion may write to.
constexpr std::size_t kRowAlignment = 64;
constexpr std::size_t kConversionSlack = 1024;
// Bytes and time FFmpeg may spend on working out a stream whose container
// leaves its size out.
constexpr int64_t kStreamInfoBytes = 1 << 20;
constexpr int64_t kStreamInfoMicroseconds = 1000000;

enum class Stop { None, Cancelled, TimedOut, OverBudget };

// The file or the bytes FFmpeg reads, and the bounds of the reading.
struct Reader {
    UniqueFd fd;
    std::string_view bytes;
    int64_t size = 0;
    int64_t position = 0;
    int64_t read = 0;
    int64_t budget = 0;
    Clock::time_point deadline;
    const DecodeControl* control = nullptr;
    Stop stop = Stop::None;

    bool Stopped() {
        if (stop != Stop::None) return true;
        if (control->Cancelled()) {
            stop = Stop::Cancelled;
        } else if (Clock::now() > deadline) {
            stop = Stop::TimedOut;
        }
        return stop != Stop::None;
    }
};

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    Reader& r = *static_cast<Reader*>(opaque);
    if (r.Stopped()) return AVERROR_EXIT;
    if (r.read >= r.budget) {
        r.stop = Stop::OverBudget;
        return AVERROR_EXIT;
    }
    const int64_t want = std::min({int64_t(size), r.size - r.position, r.budget - r.read});
    if (want <= 0) return AVERROR_EOF;
    ssize_t got;
    if (r.fd) {
        do {
            got = pread(r.fd.get(), buffer, std::size_t(want), off_t(r.position));
        } while (got < 0 && errno == EINTR);
        if (got < 0) return AVERROR(errno);
        if (got == 0) return AVERROR_EOF;
    } else {
        std::memcpy(buffer, r.bytes.data() + r.position, std::size_t(want));
        got = want;
    }
    r.position += got;
    r.read += got;
    return int(got);
}

int64_t SeekTo(void* opaque, int64_t offset, int whence) {
    Reader& r = *static_cast<Reader*>(opaque);
    int64_t to;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: return r.size;
        case SEEK_SET: to = offset; break;
        case SEEK_CUR: to = r.position + offset; break;
        case SEEK_END: to = r.size + offset; break;
        default: return AVERROR(EINVAL);
    }
    if (to < 0) return AVERROR(EINVAL);
    r.position = to;
    return to;
}

int Interrupted(void* opaque) { return static_cast<Reader*>(opaque)->Stopped() ? 1 : 0; }

// No file but the one given is opened.
int RefuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

struct IoDeleter {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct FormatCloser {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};
struct CodecDeleter {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct ScalerDeleter {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;

bool Fail(DecodeReport& report, std::string why) {
    report.error = std::move(why);
    return false;
}

// The reason the bounds give, when they stopped the work.
bool FailStopped(const Reader& reader, const VideoPosterBounds& bounds, DecodeReport& report, std::string otherwise) {
    switch (reader.stop) {
        case Stop::Cancelled: report.aborted = true; return Fail(report, "aborted");
        case Stop::TimedOut:
            return Fail(report, "took longer than " + std::to_string(bounds.time.count()) + " ms");
        case Stop::OverBudget:
            return Fail(report, "read more than " + std::to_string(bounds.readBytes) + " bytes");
        case Stop::None: break;
    }
    return Fail(report, std::move(otherwise));
}

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void SetUpFfmpeg() {
    static std::once_flag once;
    std::call_once(once, [] {
        // The libraries write their complaints about damaged files to
        // stderr; a run reports by its own means.
        av_log_set_level(AV_LOG_QUIET);
        // A small file may claim tables of billions of entries, which the
        // demuxers allocate before they find the file too short for them.
        av_max_alloc(kMaxFfmpegAllocation);
    });
}

// The first video stream that is not a cover picture; the others are
// dropped as they are read.
AVStream* ChooseStream(AVFormatContext& format) {
    AVStream* chosen = nullptr;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        AVStream* stream = format.streams[i];
        const bool video = stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                           (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0;
        if (video && chosen == nullptr) {
            chosen = stream;
        } else {
            stream->discard = AVDISCARD_ALL;
        }
    }
    return chosen;
}

int StreamOrientation(const AVStream& stream) {
    std::size_t size = 0;
    int32_t matrix[9];
    const uint8_t* data = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (data == nullptr || size < sizeof matrix) return kOrientationAsStored;
    std::memcpy(matrix, data, sizeof matrix);
    return OrientationOfMatrix(matrix[0], matrix[1], matrix[3], matrix[4]);
}

// A frame's size as shown: its pixels stretched to their shape, then turned.
void DisplayedSize(int width, int height, AVRational pixelShape, int orientation, DecodeReport& report) {
    int64_t shown = width;
    if (pixelShape.num > 0 && pixelShape.den > 0)
        shown = std::llround(double(width) * pixelShape.num / pixelShape.den);
    report.sourceWidth = int(std::clamp<int64_t>(shown, 1, INT32_MAX));
    report.sourceHeight = height;
    if (SwapsSides(orientation)) std::swap(report.sourceWidth, report.sourceHeight);
}

// The key frame's packet: the first at or after `at` (in the stream's time
// base), else the last before it; null when the stream has none.
Packet FindKeyFrame(AVFormatContext& format, AVStream& stream, int64_t at, Reader& reader) {
    av_seek_frame(&format, stream.index, at, AVSEEK_FLAG_BACKWARD);  // from the start when it fails
    Packet packet(av_packet_alloc()), last;
    if (!packet) return nullptr;
    int packets = 0, skips = 0;
    while (!reader.Stopped() && av_read_frame(&format, packet.get()) >= 0) {
        if (packet->stream_index != stream.index) {
            av_packet_unref(packet.get());
            continue;
        }
        if (++packets > kMaxPackets) break;
        const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const bool past = time != AV_NOPTS_VALUE && time >= at;
        if ((packet->flags & AV_PKT_FLAG_KEY) != 0) {
            if (past) return packet;
            last = std::move(packet);
            packet.reset(av_packet_alloc());
            if (!packet) return nullptr;
            continue;
        }
        // Past the time within a group of pictures: on to the next key
        // frame the index knows, if any.
        if (past && packet->dts != AV_NOPTS_VALUE && skips < kMaxSkips) {
            const int next = av_index_search_timestamp(&stream, packet->dts + 1, 0);
            const AVIndexEntry* entry = next >= 0 ? avformat_index_get_entry(&stream, next) : nullptr;
            if (entry != nullptr && entry->timestamp > packet->dts) {
                ++skips;
                av_seek_frame(&format, stream.index, entry->timestamp, AVSEEK_FLAG_BACKWARD);
            }
        }
        av_packet_unref(packet.get());
    }
    return reader.stop == Stop::None ? std::move(last) : nullptr;
}

// The frame of one key frame's packet, decoded alone.
bool DecodePacket(AVCodecContext& codec, const AVPacket& packet, AVFrame& frame, DecodeReport& report) {
    int code = avcodec_send_packet(&codec, &packet);
    if (code < 0) return Fail(report, "damaged frame: " + AvError(code));
    avcodec_send_packet(&codec, nullptr);  // no more: the frame comes out now
    code = avcodec_receive_frame(&codec, &frame);
    if (code < 0) return Fail(report, "no picture in the key frame: " + AvError(code));
    if (frame.decode_error_flags != 0 || (frame.flags & AV_FRAME_FLAG_CORRUPT) != 0) ++report.warnings;
    return true;
}

// The frame as RGB, three bytes a pixel, a row every `stride` bytes.
// libswscale's vector code writes whole blocks of pixels, past the end of a
// row and of the last one: each row starts on a 64-byte boundary and the
// buffer ends with room to spare.
bool ToRgb(const AVFrame& frame, std::vector<uint8_t>& rgb, std::size_t& stride, DecodeReport& report) {
    const auto format = AVPixelFormat(frame.format);
    std::unique_ptr<SwsContext, ScalerDeleter> scaler(sws_getContext(
        frame.width, frame.height, format, frame.width, frame.height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr,
        nullptr, nullptr));
    if (!scaler) return Fail(report, "cannot convert frames of this pixel format");
    // The source's colour matrix and range, as a player reads them.
    sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(frame.colorspace),
                             frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                             0, 1 << 16, 1 << 16);
    stride = (std::size_t(frame.width) * 3 + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    try {
        rgb.assign(stride * std::size_t(frame.height) + kConversionSlack, 0);
    } catch (const std::bad_alloc&) {
        return Fail(report, "out of memory");
    }
    uint8_t* planes[4] = {rgb.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {int(stride), 0, 0, 0};
    if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) != frame.height)
        return Fail(report, "cannot convert the frame");
    return true;
}

}  // namespace

bool DecodeVideoPoster(const DecodeInput& input, const ReduceTarget& target, const DecodeControl& control,
                       const VideoPosterBounds& bounds, Bitmap& out, DecodeReport& report) {
    SetUpFfmpeg();
    if (control.Cancelled()) {
        report.aborted = true;
        return Fail(report, "aborted");
    }
    Reader reader;
    reader.control = &control;
    reader.budget = bounds.readBytes;
    reader.deadline = Clock::now() + bounds.time;

    // Our own probe first: it chooses the demuxer, and what it refuses is
    // never handed to FFmpeg.
    ImageHeader header;
    VideoProbeResult probed;
    if (input.bytes.empty()) {
        struct stat info;
        reader.fd = OpenRegularFile(input.path, &info);
        if (!reader.fd) return Fail(report, "cannot open " + input.path + ": " + std::strerror(errno));
        reader.size = info.st_size;
        FileProbeSource source;
        if (!source.Open(input.path)) return Fail(report, "cannot open " + input.path + ": " + std::strerror(errno));
        probed = ProbeVideo(source, header);
    } else {
        reader.bytes = input.bytes;
        reader.size = int64_t(input.bytes.size());
        MemoryProbeSource source(input.bytes);
        probed = ProbeVideo(source, header);
    }
    if (probed != VideoProbeResult::Video) return Fail(report, "not a video file");
    const AVInputFormat* demuxer = av_find_input_format(header.typeText == "WebM" ? "matroska" : "mov");
    if (demuxer == nullptr) return Fail(report, "FFmpeg lacks the demuxer");

    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    if (buffer == nullptr) return Fail(report, "out of memory");
    std::unique_ptr<AVIOContext, IoDeleter> io(
        avio_alloc_context(buffer, kIoBufferSize, 0, &reader, ReadPacket, nullptr, SeekTo));
    if (!io) {
        av_free(buffer);
        return Fail(report, "out of memory");
    }
    AVFormatContext* opening = avformat_alloc_context();
    if (opening == nullptr) return Fail(report, "out of memory");
    opening->pb = io.get();
    opening->flags |= AVFMT_FLAG_CUSTOM_IO;
    opening->interrupt_callback = AVIOInterruptCB{Interrupted, &reader};
    opening->io_open = RefuseOpen;
    opening->probesize = kStreamInfoBytes;
    opening->max_analyze_duration = kStreamInfoMicroseconds;
    // On failure the context is freed and the pointer cleared.
    const int opened = avformat_open_input(&opening, nullptr, demuxer, nullptr);
    if (opened < 0) return FailStopped(reader, bounds, report, "FFmpeg cannot open it: " + AvError(opened));
    std::unique_ptr<AVFormatContext, FormatCloser> format(opening);

    AVStream* stream = ChooseStream(*format);
    if (stream == nullptr) return Fail(report, "no video stream");
    // Most containers give the size in their header; for the others FFmpeg
    // reads a little of the stream.
    if (stream->codecpar->width <= 0 || stream->codecpar->height <= 0) {
        const int found = avformat_find_stream_info(format.get(), nullptr);
        if (found < 0) return FailStopped(reader, bounds, report, "no stream information: " + AvError(found));
    }
    const int orientation = StreamOrientation(*stream);
    const int64_t maxPixels = control.PixelLimit(kMaxVideoFramePixels);
    auto withinLimit = [&](int width, int height, AVRational shape) {
        DisplayedSize(width, height, shape, orientation, report);
        return control.WithinPixelLimit(width, height, kMaxVideoFramePixels, report);
    };
    if (!withinLimit(stream->codecpar->width, stream->codecpar->height, stream->codecpar->sample_aspect_ratio))
        return false;
    // The frame as RGB, and about as much again for the decoder's own
    // pictures of the one key frame.
    BudgetLease lease;
    if (!control.Reserve(int64_t(kHeldBytesPerPixel) * stream->codecpar->width * stream->codecpar->height, lease,
                         report))
        return false;

    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (decoder == nullptr) return Fail(report, "no decoder for the video's codec");
    std::unique_ptr<AVCodecContext, CodecDeleter> codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        return Fail(report, "out of memory");
    codec->thread_count = 1;
    codec->max_pixels = maxPixels;
    codec->pkt_timebase = stream->time_base;
    if (const int code = avcodec_open2(codec.get(), decoder, nullptr); code < 0)
        return Fail(report, "cannot open the decoder: " + AvError(code));

    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const int64_t at = start + av_rescale_q(PosterTimeMs(header.durationMs), AVRational{1, 1000}, stream->time_base);
    const Packet packet = FindKeyFrame(*format, *stream, at, reader);
    if (!packet) return FailStopped(reader, bounds, report, "no key frame to show");
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    if (!frame) return Fail(report, "out of memory");
    if (!DecodePacket(*codec, *packet, *frame, report)) return false;
    if (reader.Stopped()) return FailStopped(reader, bounds, report, {});
    if (!withinLimit(frame->width, frame->height, frame->sample_aspect_ratio.num > 0
                                                      ? frame->sample_aspect_ratio
                                                      : stream->codecpar->sample_aspect_ratio))
        return false;

    std::vector<uint8_t> rgb;
    std::size_t stride = 0;
    if (!ToRgb(*frame, rgb, stride, report)) return false;
    const int width = frame->width, height = frame->height;
    frame.reset();
    ReduceTarget turned = target;
    turned.orientation = ComposeOrientations(orientation, target.orientation);
    RowReducer reducer;
    if (!reducer.Start(width, height, turned, 3)) return Fail(report, "cannot reduce to that size");
    int rows = 0;
    for (int64_t y; (y = reducer.NextRow()) >= 0;) {
        if (++rows % kRowsPerCancelCheck == 0 && control.Cancelled()) {
            report.aborted = true;
            return Fail(report, "aborted");
        }
        reducer.Take(rgb.data() + std::size_t(y) * stride, CopyRgb);
    }
    if (control.Cancelled()) {
        report.aborted = true;
        return Fail(report, "aborted");
    }
    out = reducer.Finish();
    return true;
}

}  // namespace htmlimglist

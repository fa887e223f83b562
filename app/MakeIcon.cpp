// Build step: writes the program's icon as a PNG file for installation, at
// the size asked for (32 by default). The icon is drawn at 32 x 32 pixels;
// other sizes are that drawing scaled: each pixel is repeated to the least
// common multiple of 32 and the size (64 and 128 stay exact pixel art), and
// that is averaged down to the size when it is larger (48: 96, then halved).
// Where that multiple would be huge, the next multiple of 32 is averaged down.
#include <cstdio>
#include <cstdlib>
#include <numeric>

#include "widgets/ProgramIcon.h"

namespace {

constexpr int kDrawnSize = 32;
constexpr int kLargestSize = 1024;
constexpr int kLargestRepeated = 4096;

QImage IconAtSize(int size) {
    const QImage drawn = htmlimglist::ProgramIconImage();
    if (size == kDrawnSize) return drawn;
    int repeated = std::lcm(kDrawnSize, size);
    if (repeated > kLargestRepeated) repeated = (size + kDrawnSize - 1) / kDrawnSize * kDrawnSize;
    QImage image = drawn.scaled(repeated, repeated, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (repeated != size) image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    int size = kDrawnSize;
    if (argc == 3) size = std::atoi(argv[2]);
    if (argc < 2 || argc > 3 || size < 16 || size > kLargestSize) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [SIZE from 16 to %d]\n", argv[0], kLargestSize);
        return 2;
    }
    return IconAtSize(size).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}

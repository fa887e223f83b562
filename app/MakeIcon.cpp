// Build step: writes the program's icon as a PNG file for installation.
#include <cstdio>

#include "widgets/ProgramIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    return htmlimglist::ProgramIconImage().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}

// Build step: writes the creation conditions as the option table declares
// them into the file named on the command line, one per line: name, type
// (text, number or switch), default, values ("1..65535", "0/1", "name") and
// meaning, separated by tabs. The man pages' condition list and the shell
// completion's condition names are made from it, and the README's table is
// checked against it, so they follow the table.
#include <cstdio>

#include "listgen/GenerationOptions.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.tsv\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    using htmlimglist::OptionType;
    for (const htmlimglist::OptionField& field : htmlimglist::OptionFields()) {
        const char* type = field.type == OptionType::Text     ? "text"
                           : field.type == OptionType::Number ? "number"
                                                              : "switch";
        std::fprintf(out, "%s\t%s\t%s\t%s\t%s\n", field.name, type, field.defaultText,
                     htmlimglist::OptionValuesText(field).c_str(), field.meaning);
    }
    const bool written = !std::ferror(out);
    return std::fclose(out) == 0 && written ? 0 : 1;
}

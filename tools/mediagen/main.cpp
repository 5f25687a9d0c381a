// Makes the pictures and sounds of the default data set under a game folder:
//   mediagen <game folder>
// The output depends on nothing but this program, so every build writes the
// same files.
#include "DialogArt.h"
#include "ItemArt.h"
#include "MediaWriter.h"
#include "ObjectArt.h"
#include "SharedMediaArt.h"
#include "SoundArt.h"
#include "TileArt.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mediagen <game folder>\n");
        return 2;
    }
    MediaWriter out(argv[1]);
    TileArt::Write(out);
    ObjectArt::Write(out);
    ItemArt::Write(out);
    SoundArt::Write(out);
    SharedMediaArt::Write(out);
    DialogArt::Write(out);
    if (!out.Ok())
        return 1;
    std::printf("mediagen: %d files\n", out.Count());
    return 0;
}

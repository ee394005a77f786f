// Resource identifiers shared by the resource script and the program (plain
// defines, so that the resource compiler reads them too).
#pragma once

// The program's icon group: one 64x64 image, 32 bits per pixel.
#define ZV_ICON_RESOURCE 129
